#!/usr/bin/env bash
# Renders every window of the skin in the languages whose scripts stress the layout most
# (English, Japanese, Simplified Chinese, Arabic, Hindi, Thai) with cvd-skin and puts the pages
# on one contact sheet, so clipping and missing glyphs show at a glance.
#   tools/skin-art/contact-sheet.sh [OUT.png] [SKIN_DIR]
# Environment: CVD_SKIN = the cvd-skin to use (default: the first built one under build*/bin);
# LANGS = language indexes to render (default "0 1 2 8 15 16").
# cvd-skin renders a layout as its document says; the pages a running installer switches to
# (running page, result views, licence text, message box kinds) are rendered from copies of the
# skin whose documents select that page, the way the installer's code would.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
out="${1:-${TMPDIR:-/tmp}/cvd-skin-contact-sheet.png}"
skin="$(cd "${2:-$root/res/skin}" && pwd)"
langs="${LANGS:-0 1 2 8 15 16}"

find_renderer() {
  if [ -n "${CVD_SKIN:-}" ]; then echo "$CVD_SKIN"; return; fi
  local candidate
  for candidate in "$root"/build*/bin/cvd-skin "$root"/../build*/bin/cvd-skin; do
    if [ -x "$candidate" ]; then echo "$candidate"; return; fi
  done
  command -v cvd-skin || { echo "contact-sheet: no cvd-skin found; set CVD_SKIN" >&2; exit 1; }
}
renderer="$(find_renderer)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

text() { "$here/skin_text.py" "$skin" "$@"; }

# A copy of the skin with one edit per argument: "FILE|FROM|TO" (literal, first match).
variant() {
  local name="$1"; shift
  local dir="$work/skin-$name"
  cp -r "$skin" "$dir"
  local edit file from to
  for edit in "$@"; do
    IFS='|' read -r file from to <<<"$edit"
    FROM="$from" TO="$to" perl -0pi -e 's/\Q$ENV{FROM}\E/$ENV{TO}/' "$dir/$file"
    grep -qF -- "$to" "$dir/$file" || { echo "contact-sheet: $file has no '$from'" >&2; exit 1; }
  done
  echo "$dir"
}

running=$(variant running \
  'InstallMainLayout.xml|name="main_tablayout" selectedid="0"|name="main_tablayout" selectedid="1"' \
  'InstallRunning.xml|value="0"|value="40"')
complete=$(variant complete \
  'InstallSetting.xml|name="page_layout" selectedid="0"|name="page_layout" selectedid="1"')
failed=$(variant failed \
  'InstallSetting.xml|name="page_layout" selectedid="0"|name="page_layout" selectedid="1"' \
  'InstallSetting.xml|name="layout_install_ok"|name="layout_install_ok" visible="false"' \
  'InstallSetting.xml|name="layout_install_fail" visible="false"|name="layout_install_fail"')
licence_page=$(variant licence-page \
  'InstallMainLayout.xml|name="main_tablayout" selectedid="0"|name="main_tablayout" selectedid="2"')
licence=$(variant licence \
  'InstallSetting.xml|name="set_layout" selectedid="1"|name="set_layout" selectedid="0"')
one_button=$(variant one-button \
  'MessageBox.xml|<Button name="btn_no"|<Button name="btn_no" visible="false"')
no_icon=$(variant no-icon \
  'MessageBox.xml|<Control name="iconimage"|<Control name="iconimage" visible="false"')

# message box kinds: kind | description key | yes key | no key, or - when the box hides "no"
kinds=(
  "2|CancelDesText|ContinueText|CancelText"
  "3|AppExistDesText|OkButtonText|-"
  "4|PathErrorDesText|OkButtonText|-"
  "6|InstallRunTimeOutDesText|ConfirmText|-"
  "7|MD5FailDesText|ConfirmText|-"
  "8|UrlFailDexText|ConfirmText|-"
  "9|InternetFailDesText|ConfirmText|-"
  "10|InternetTimeoutDesText|ConfirmText|-"
  "11|NoEnoughSpaceDesText|OkButtonText|-"
  "12|ClickShortcutToLaunchText|ConfirmText|-"
  "13|NotSupportSystemDesText|OkButtonText|-"
  "14|NotSupportCountryText|ConfirmText|-"
  "15|AgreeDesText|AgreeInstallText|NotAgreeText"
)

render() { "$renderer" render "$@"; }

names=(English Japanese "Simplified Chinese" Spanish German French Russian Portuguese Arabic
       Italian "Traditional Chinese" Korean Dutch Indonesian Turkish Hindi Thai Malay Swedish Czech)
rows=()
for lang in $langs; do
  name="${names[$lang]}"
  d="$work/$lang"; mkdir -p "$d"
  progress="$(python3 -c 'import sys; print(sys.argv[1] % (40.0,))' "$(text "$lang" install_label)")"
  common=(--lang "$lang" --set extra_text= --set "install_file_path_edit=/opt/Zorvik")
  render "$skin" InstallMainWnd.xml "$d/1.png" "${common[@]}"
  render "$running" InstallMainWnd.xml "$d/2.png" "${common[@]}" --set "install_label=$progress"
  render "$complete" InstallMainWnd.xml "$d/3.png" "${common[@]}"
  render "$failed" InstallMainWnd.xml "$d/4.png" "${common[@]}"
  render "$licence" InstallMainWnd.xml "$d/5.png" "${common[@]}" --set "license_text=$(text "$lang" --licence)"
  render "$licence_page" InstallMainWnd.xml "$d/6.png" "${common[@]}"
  render "$skin" transWnd.xml "$d/7.png" --rtl "$([ "$lang" = 8 ] && echo 1 || echo 0)"
  montage -font DejaVu-Sans -pointsize 14 -background '#d8d8e0' -geometry +6+6 -tile 7x \
    -label 'page 0: start' "$d/1.png" -label 'page 1: running (40%)' "$d/2.png" \
    -label 'result: installed' "$d/3.png" -label 'result: failed' "$d/4.png" \
    -label 'licence text (settings area)' "$d/5.png" -label 'page 2: licence store' "$d/6.png" \
    -label 'waiting window' "$d/7.png" "$d/pages.png"

  boxes=()
  for kind in "${kinds[@]}"; do
    IFS='|' read -r number describe yes no <<<"$kind"
    describe_text="$(text "$lang" "$describe")"
    describe_text="${describe_text//\*\*1\*\*/1024MB}"
    describe_text="${describe_text//\*\*2\*\*/2355MB}"
    source="$one_button"
    [ "$no" != "-" ] && source="$skin"
    [ "$number" = 2 ] && source="$no_icon"
    args=(--set "msg_describe=$describe_text" --set "btn_yes=$(text "$lang" "$yes")")
    [ "$lang" = 8 ] && args+=(--rtl 1)
    [ "$no" != "-" ] && args+=(--set "btn_no=$(text "$lang" "$no")")
    render "$source" MessageBox.xml "$d/box$number.png" "${args[@]}"
    boxes+=(-label "kind $number" "$d/box$number.png")
  done
  render "$skin" MessageBox_down.xml "$d/box5.png" --rtl "$([ "$lang" = 8 ] && echo 1 || echo 0)"
  boxes+=(-label "kind 5 (layout texts)" "$d/box5.png")
  montage -font DejaVu-Sans -pointsize 14 -background '#d8d8e0' -geometry +6+6 -tile 7x \
    "${boxes[@]}" "$d/boxes.png"
  convert -background '#8372ff' -fill white -font DejaVu-Sans-Bold -pointsize 28 \
    label:"  $lang  $name  " "$d/title.png"
  convert "$d/title.png" "$d/pages.png" "$d/boxes.png" -background '#d8d8e0' -append "$d/row.png"
  rows+=("$d/row.png")
done

convert "${rows[@]}" -background "#d8d8e0" -gravity west -append +repage "$out"
echo "contact sheet: $out"
