#!/usr/bin/env bash
# Installs the build into a temporary prefix and uses it as a user would: both
# programs run from there without LD_LIBRARY_PATH, a rip of the sample disc to MP3
# works, the desktop entry and metainfo pass their validators, both manual pages
# render, and the bash completion completes.
#
#   installed_tree_test.sh BUILD_DIR SAMPLE_CUE
set -euo pipefail
build=$1
cue=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >"$work/install.log"
unset LD_LIBRARY_PATH
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
mkdir -p "$HOME"

# The encoder library is private to the programs and found through their RPATH.
lib=$(find "$prefix" -name liblame_enc.so)
[[ -n $lib && $lib == "$prefix"/lib*/sonvarek-maker/liblame_enc.so ]] || fail "liblame_enc.so at '$lib'"
for program in sonvarek sonvarek-maker; do
  [[ -x $prefix/bin/$program ]] || fail "$program not installed"
  rpath=$(readelf -d "$prefix/bin/$program" | grep -E 'RPATH|RUNPATH' || true)
  [[ $rpath == *'$ORIGIN/../lib'*'/sonvarek-maker'* ]] || fail "$program has RPATH '$rpath'"
  [[ $rpath != *"$build"* ]] || fail "$program still points into the build tree"
done
"$prefix/bin/sonvarek" --version | grep -qx 'sonvarek (Sonvarek Maker) [0-9.]*' || fail "sonvarek --version"
"$prefix/bin/sonvarek-maker" --version | grep -qx 'sonvarek-maker (Sonvarek Maker) [0-9.]*' ||
  fail "sonvarek-maker --version"

# A rip from the installed tree: the MP3 is made by the installed encoder library.
"$prefix/bin/sonvarek" --home "$work/program" rip --image "$cue" --tracks 1 --format mp3 --output "$work/out" \
  >"$work/rip.log" 2>&1 || { cat "$work/rip.log"; fail "rip from the installed tree"; }
mp3=$(find "$work/out" -name '*.MP3')
[[ -n $mp3 && $(stat -c %s "$mp3") -gt 10000 ]] || fail "no MP3 made: $(ls -R "$work/out")"
head -c 3 "$mp3" | grep -q ID3 || fail "the MP3 has no ID3v2 tag"

# What the desktop reads.
share=$prefix/share
desktop-file-validate "$share/applications/sonvarek-maker.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$share"/metainfo/*.metainfo.xml >"$work/appstream.log" ||
  { cat "$work/appstream.log"; fail "appstreamcli validate"; }
for size in 16 22 24 32 48 64 128 256; do
  [[ -s $share/icons/hicolor/${size}x${size}/apps/sonvarek-maker.png ]] || fail "no ${size}px icon"
done
[[ -s $share/icons/hicolor/scalable/apps/sonvarek-maker.svg ]] || fail "no scalable icon"
[[ -s $share/doc/sonvarek-maker/manual/index.html ]] || fail "no HTML manual"
for image in $(grep -oh '\.\./screenshots/[a-z0-9-]*\.png' "$share"/doc/sonvarek-maker/manual/*.html | sort -u); do
  [[ -s $share/doc/sonvarek-maker/manual/$image ]] || fail "the manual's $image is missing"
done

# Both manual pages render.
for page in sonvarek sonvarek-maker; do
  file=$share/man/man1/$page.1.gz
  [[ -s $file ]] || fail "no $page.1.gz"
  MANWIDTH=100 man -l "$file" 2>"$work/man.err" | grep -q "^NAME" || fail "man -l $page.1"
  [[ ! -s $work/man.err ]] || { cat "$work/man.err"; fail "man -l $page.1 warned"; }
done

# The bash completion completes commands, options and option values.
completion=$share/bash-completion/completions/sonvarek
[[ -s $completion ]] || fail "no bash completion"
complete_line() {
  bash -c '
    source /usr/share/bash-completion/bash_completion
    source "$1"
    shift
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
    COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    _sonvarek sonvarek "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
    printf "%s\n" "${COMPREPLY[@]}"' completion "$completion" "$@"
}
[[ $(complete_line sonvarek ri) == rip ]] || fail "completion of 'ri'"
[[ $(complete_line sonvarek rip --fo) == --format ]] || fail "completion of 'rip --fo'"
[[ $(complete_line sonvarek rip --format o) == ogg ]] || fail "completion of '--format o'"
[[ $(complete_line sonvarek --home /tmp encode-m) == encode-mp3 ]] || fail "completion after --home"
echo "installed tree: all checks passed"
