#!/usr/bin/python3
"""Checks built Windows programs: each must be a PE executable for the named machine (PE32 for
i386, PE32+ for x86-64) and import only DLLs that every Windows system has, so it runs copied
alone onto a machine.

    check-windows-exe.py --machine i386|x86-64 [--gui FILE]... [--installer FILE]...
                         [--signed FILE]... [--ca CA.pem --osslsigncode PROGRAM] [FILE.exe]...

--gui: the program must be a window (GUI subsystem) program. --installer: a window program whose
resource table holds the skin package (ZIPRES/138, a zip archive) and a manifest asking for
administrator rights. --signed: its Authenticode signature must verify (osslsigncode verify)
against the CA. Every file named is also checked as a Windows program.

Prints one line per file; exit status 1 when any file fails.
"""
import argparse
import re
import subprocess
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


RT_MANIFEST = 24
SKIN_TYPE, SKIN_ID = "ZIPRES", 138
ADMIN_REQUEST = re.compile(rb"requestedExecutionLevel\s[^>]*level\s*=\s*[\"']requireAdministrator[\"']")


def resources_of(pe):
    """{(type, id): data} of the resource table: type is a name or a number, first language."""
    pe.parse_data_directories(
        directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]]
    )
    found = {}
    table = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for kind in table.entries if table else []:
        type_key = str(kind.name) if kind.name is not None else kind.id
        for entry in kind.directory.entries if hasattr(kind, "directory") else []:
            if entry.id is None or not hasattr(entry, "directory") or not entry.directory.entries:
                continue
            data = entry.directory.entries[0].data.struct
            found[(type_key, entry.id)] = pe.get_data(data.OffsetToData, data.Size)
    return found


def installer_problems(pe):
    resources = resources_of(pe)
    problems = []
    skin = resources.get((SKIN_TYPE, SKIN_ID))
    if not skin or not skin.startswith(b"PK\x03\x04"):
        problems.append(f"no skin package (a zip archive as {SKIN_TYPE}/{SKIN_ID})")
    manifest = resources.get((RT_MANIFEST, 1), b"")
    if not ADMIN_REQUEST.search(manifest):
        problems.append("no manifest asking for requireAdministrator")
    return problems


def signature_problems(path, ca, osslsigncode):
    run = subprocess.run([osslsigncode, "verify", "-CAfile", ca, "-in", path],
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if run.returncode == 0:
        return []
    last = [line for line in run.stdout.splitlines() if line.strip()][-1:] or ["no output"]
    return ["no Authenticode signature that verifies against " + ca + " (" + last[0] + ")"]


def problems_of(path, machine, gui=False, installer=False):
    """The reasons `path` fails as a Windows program, empty when it passes."""
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
        windows_gui = pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]
        if (gui or installer) and pe.OPTIONAL_HEADER.Subsystem != windows_gui:
            problems.append("not a window (GUI subsystem) program")
        if installer:
            problems += installer_problems(pe)
        return problems
    finally:
        pe.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--machine", choices=sorted(MACHINES), required=True)
    parser.add_argument("--gui", action="append", default=[])
    parser.add_argument("--installer", action="append", default=[])
    parser.add_argument("--signed", action="append", default=[])
    parser.add_argument("--ca")
    parser.add_argument("--osslsigncode", default="osslsigncode")
    parser.add_argument("files", nargs="*")
    args = parser.parse_args()
    if args.signed and not args.ca:
        parser.error("--signed needs --ca")
    failed = False
    every = list(dict.fromkeys(args.files + args.gui + args.installer + args.signed))
    if not every:
        parser.error("no file to check")
    for path in every:
        problems = problems_of(path, args.machine, path in args.gui, path in args.installer)
        if path in args.signed and not problems:
            problems = signature_problems(path, args.ca, args.osslsigncode)
        if problems:
            failed = True
            print(f"FAIL {path}: " + "; ".join(problems))
        else:
            extra = "".join(
                text
                for named, text in (
                    (args.gui + args.installer, ", window program"),
                    (args.installer, ", skin and administrator manifest"),
                    (args.signed, ", signed"),
                )
                if path in named
            )
            print(f"ok   {path}: {MACHINES[args.machine][2]} {args.machine}, system DLLs only{extra}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
