#!/usr/bin/python3
"""Checks built Windows programs: each must be a PE executable for the named machine (PE32 for
i386, PE32+ for x86-64) and import only DLLs that every Windows system has, so it runs copied
alone onto a machine.

    check-windows-exe.py --machine i386|x86-64 FILE.exe...

Prints one line per file; exit status 1 when any file fails.
"""
import argparse
import sys

import pefile

# DLLs of a Windows installation (System32), lower case. A name outside this list is a library
# the build failed to link statically.
SYSTEM_DLLS = frozenset(
    name.lower()
    for name in (
        "advapi32.dll", "bcrypt.dll", "cfgmgr32.dll", "comctl32.dll", "comdlg32.dll",
        "crypt32.dll", "d2d1.dll", "dbghelp.dll", "dwmapi.dll", "dwrite.dll", "gdi32.dll",
        "gdiplus.dll", "imm32.dll", "iphlpapi.dll", "kernel32.dll", "msimg32.dll", "msvcrt.dll",
        "normaliz.dll", "ntdll.dll", "ole32.dll", "oleaut32.dll", "psapi.dll", "rpcrt4.dll",
        "secur32.dll", "sensapi.dll", "setupapi.dll", "shell32.dll", "shlwapi.dll", "user32.dll",
        "userenv.dll", "usp10.dll", "uxtheme.dll", "version.dll", "windowscodecs.dll",
        "winhttp.dll", "winmm.dll", "wintrust.dll", "wldap32.dll", "ws2_32.dll",
    )
)

MACHINES = {
    "i386": (pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"], pefile.OPTIONAL_HEADER_MAGIC_PE, "PE32"),
    "x86-64": (
        pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"],
        pefile.OPTIONAL_HEADER_MAGIC_PE_PLUS,
        "PE32+",
    ),
}


def imported_dlls(pe):
    names = []
    for attribute in ("DIRECTORY_ENTRY_IMPORT", "DIRECTORY_ENTRY_DELAY_IMPORT"):
        for entry in getattr(pe, attribute, []):
            names.append(entry.dll.decode("ascii", "replace"))
    return names


def problems_of(path, machine):
    """The reasons `path` fails, empty when it passes."""
    want_machine, want_magic, kind = MACHINES[machine]
    try:
        pe = pefile.PE(path, fast_load=True)
    except (OSError, pefile.PEFormatError) as error:
        return [f"not a PE file ({error})"]
    try:
        problems = []
        if pe.FILE_HEADER.Machine != want_machine or pe.OPTIONAL_HEADER.Magic != want_magic:
            problems.append(f"not a {kind} {machine} executable")
        if not pe.is_exe():
            problems.append("not an executable")
        pe.parse_data_directories(
            directories=[
                pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"],
                pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT"],
            ]
        )
        foreign = sorted({dll for dll in imported_dlls(pe) if dll.lower() not in SYSTEM_DLLS})
        if foreign:
            problems.append("imports DLLs that are no part of Windows: " + ", ".join(foreign))
        return problems
    finally:
        pe.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--machine", choices=sorted(MACHINES), required=True)
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    failed = False
    for path in args.files:
        problems = problems_of(path, args.machine)
        if problems:
            failed = True
            print(f"FAIL {path}: " + "; ".join(problems))
        else:
            print(f"ok   {path}: {MACHINES[args.machine][2]} {args.machine}, system DLLs only")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
