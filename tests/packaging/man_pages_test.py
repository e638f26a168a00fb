#!/usr/bin/env python3
"""The manual pages and the --help texts say the same: every command, option and
text of `sonvarek --help`, of each `sonvarek COMMAND --help` and of
`sonvarek-maker --help` is in the rendered page, and every term the page defines is
in a help text.

    man_pages_test.py SONVAREK SONVAREK_MAKER MAN_DIR
"""
import os
import re
import subprocess
import sys


def run(*command):
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout


def normal(text):
    """Rendered and help text compared alike: man's typographic hyphens and quotes
    as typed, blanks and line breaks as one blank."""
    for fancy, plain in (("\u2010", "-"), ("\u2212", "-"), ("\u2018", "'"), ("\u2019", "'"), ("\u00ad", "")):
        text = text.replace(fancy, plain)
    return " ".join(text.split())


def help_pairs(text):
    """(term, text) of each two-column line of a help text; a term on a line of its
    own has its text on the next line."""
    pairs = []
    lines = text.splitlines()
    for i, line in enumerate(lines):
        match = re.match(r"^  (\S.*?)(?: {2,}(\S.*))?$", line)
        if not match or line.startswith(" " * 36):
            continue
        term, rest = match.group(1), match.group(2)
        if rest is None and i + 1 < len(lines) and lines[i + 1].startswith(" " * 36):
            rest = lines[i + 1].strip()
        if rest is not None:
            pairs.append((term.strip(), rest))
    return pairs


def rendered(page):
    environment = dict(os.environ, MANWIDTH="200", LC_ALL="C.UTF-8")
    return normal(subprocess.run(["man", "-l", page], check=True, capture_output=True, text=True,
                                 env=environment).stdout)


def defined_terms(page):
    """The terms the page's .TP entries define, unescaped."""
    terms = []
    with open(page, encoding="utf-8") as source:
        lines = source.read().splitlines()
    for i, line in enumerate(lines):
        if line == ".TP" and i + 1 < len(lines) and lines[i + 1].startswith(".B "):
            terms.append(lines[i + 1][3:].replace("\\-", "-").replace("\\e", "\\").replace("\\&", ""))
    return terms


def main():
    sonvarek, maker, man_dir = sys.argv[1:4]
    failures = []

    def expect(condition, message):
        if not condition:
            failures.append(message)

    usage = run(sonvarek, "--help")
    helps = [usage]
    commands = []
    section = None
    for line in usage.splitlines():
        if line.endswith(":") and not line.startswith(" "):
            section = line
        elif section == "Commands:" and re.match(r"^  [a-z]", line):
            commands.append(line.split()[0])
    expect(len(commands) >= 15, f"only {len(commands)} commands in sonvarek --help")
    for command in commands:
        helps.append(run(sonvarek, command, "--help"))
    maker_help = run(maker, "--help")

    for page, texts in (("sonvarek.1", helps), ("sonvarek-maker.1", [maker_help])):
        path = os.path.join(man_dir, page)
        text = rendered(path)
        known = set()
        for help_text in texts:
            for term, description in help_pairs(help_text):
                known.add(normal(term))
                expect(normal(term) in text, f"{page} lacks the term {term!r}")
                expect(normal(description) in text, f"{page} lacks the text {description!r}")
        for term in defined_terms(path):
            if re.fullmatch(r"\d+", term):  # the exit statuses have no help line
                continue
            if page == "sonvarek.1" and term in ("SONVAREK_HOME", "SONVAREK_CD_IMAGE", "SONVAREK_CD_BAD_SECTORS"):
                continue
            if term in ("Settings.ini", "db/", "cdplayer.ini", "cddb.txt", "CustomColor.ini") or term.startswith("SONVAREK_"):
                continue
            expect(normal(term) in known, f"{page} defines {term!r}, which no help text shows")
    for line in maker_help.splitlines()[2:5]:
        expect(normal(line) in rendered(os.path.join(man_dir, "sonvarek-maker.1")),
               f"sonvarek-maker.1 lacks {line!r}")

    for failure in failures:
        print("FAIL:", failure)
    print(f"{len(commands)} commands, {len(failures)} differences")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
