#!/usr/bin/env bash
# Every option a program accepts is in its manual page and in its --help, and every option its
# manual page describes is one the program accepts. The accepted options are read from the
# sources that define them: the parser's options of quirvex, the comparisons of kartoserv.
# Usage: paginas_manual.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$1
fuente=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fallos=0
Falla() { echo "FAIL: $*"; fallos=$((fallos + 1)); }

# The options of a manual page: the first word of each .TP heading, as it prints ("\-" is "-").
OpcionesDePagina() {
  awk '/^\.TP/ {getline; print}' "$1" | sed 's/\\-/-/g; s/"//g' |
    grep -oE '(^|[ ,])-{1,2}[a-zA-Z][a-zA-Z-]*' | tr -d ' ,' | sort -u
}

# Checks program $1 against the options in $work/$1.acepta, one a line, spelt as they are typed.
# (Not fed through a pipe: Comprobar must run in this shell to count the failures.)
Comprobar() {
  local prog=$1 pagina=$fuente/docs/$1.1 o
  sort -u -o "$work/$prog.acepta" "$work/$prog.acepta"
  [ -s "$work/$prog.acepta" ] || { Falla "no options of $prog found in its sources"; return; }
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 60 "$build/src/$prog" --help \
    >"$work/$prog.ayuda" || Falla "$prog --help failed"
  [ -f "$pagina" ] || { Falla "no manual page docs/$prog.1"; return; }
  # Whole words only: "--help" must not pass for "--help-all".
  while read -r o; do
    grep -qE -- "(^|[ ,])$o([ ,=<]|\$)" "$work/$prog.ayuda" || Falla "$prog --help lacks $o"
    OpcionesDePagina "$pagina" | grep -qxF -- "$o" || Falla "docs/$prog.1 does not describe $o"
  done <"$work/$prog.acepta"
  while read -r o; do
    grep -qxF -- "$o" "$work/$prog.acepta" || Falla "docs/$prog.1 describes $o, which $prog refuses"
  done < <(OpcionesDePagina "$pagina")
  echo "$prog: $(tr '\n' ' ' <"$work/$prog.acepta")"
}

# quirvex: each QCommandLineOption is a long option ("-debugmode" is spelt with one dash, as
# the only way that turns it on), plus those of addHelpOption and addVersionOption.
# The declarations may span lines, so the source is read as one line.
principal=$fuente/src/app/main.cpp
{
  tr '\n' ' ' <"$principal" | grep -oE 'QCommandLineOption [a-zA-Z]+ *\{ *"[a-z-]+"' |
    sed -E 's/.*"(.*)"/--\1/; s/^--debugmode$/-debugmode/'
  grep -q 'addHelpOption()' "$principal" && printf '%s\n' -h --help --help-all
  grep -q 'addVersionOption()' "$principal" && printf '%s\n' -v --version
} >"$work/quirvex.acepta"
Comprobar quirvex

# kartoserv: every spelling its argument loop compares with.
grep -oE 'a == "-[^"]*"' "$fuente/src/kartoserv/main.cpp" | sed -E 's/.*"(.*)"/\1/' \
  >"$work/kartoserv.acepta"
Comprobar kartoserv

# The pages themselves format without a warning, as man-db and lintian read them.
for pagina in "$fuente"/docs/*.1; do
  aviso=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$pagina" 2>&1 >/dev/null)
  [ -z "$aviso" ] || Falla "${pagina##*/}: $aviso"
done

[ $fallos -eq 0 ] && echo "manual pages and --help against the accepted options: OK"
exit $fallos
