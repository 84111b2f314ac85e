#!/usr/bin/env python3
"""Writes the template of every text the user sees (dozelite.pot) from the sources.

Texts come from the dialog templates and string tables (src/resources/*.rc), from the
Tr/TrN/TrNoop calls in src/ and from the installer's own strings (installer/*.nsi, the
LangString lines of English). The output is the same for the same sources: no dates, and
locations without line numbers. Usage: extract_pot.py <repository root> <output .pot>
"""
import os
import re
import subprocess
import sys
import tempfile

RC_CONTROL = re.compile(
    r'^\s*(CAPTION|LTEXT|RTEXT|CTEXT|PUSHBUTTON|DEFPUSHBUTTON|GROUPBOX|AUTOCHECKBOX|CHECKBOX|AUTORADIOBUTTON|'
    r'RADIOBUTTON|AUTO3STATE|STATE3|CONTROL)\s+"((?:[^"]|"")*)"')
RC_STRING = re.compile(r'^\s*\w+\s*,\s*"((?:[^"]|"")*)"\s*$')
NSIS_STRING = re.compile(r'^\s*LangString\s+(\w+)\s+\$\{LANG_ENGLISH\}\s+"((?:[^"\\]|\\.)*)"')

HEADER = '''# The texts Dozelite shows, for translators. Generated from the sources by
# tools/po/extract_pot.py (`./dev po`); never edited by hand.
msgid ""
msgstr ""
"Project-Id-Version: Dozelite\\n"
"Report-Msgid-Bugs-To: \\n"
"Language: \\n"
"MIME-Version: 1.0\\n"
"Content-Type: text/plain; charset=UTF-8\\n"
"Content-Transfer-Encoding: 8bit\\n"
"Plural-Forms: nplurals=INTEGER; plural=EXPRESSION;\\n"
'''


def po_quote(text):
    text = text.replace('\\', '\\\\').replace('"', '\\"').replace('\t', '\\t')
    text = text.replace('\r', '\\r').replace('\n', '\\n')
    return '"' + text + '"'


def rc_unquote(text):
    # Resource scripts double a quote and know the C escapes.
    text = text.replace('""', '"')
    return re.sub(r'\\(.)', lambda m: {'n': '\n', 'r': '\r', 't': '\t'}.get(m.group(1), m.group(1)), text)


def resource_texts(root):
    """(text, location, is_dialog) of every dialog and string-table text."""
    folder = os.path.join(root, 'src', 'resources')
    found = []
    for name in sorted(os.listdir(folder)):
        if not name.endswith('.rc'):
            continue
        in_table = False
        with open(os.path.join(folder, name), encoding='utf-8') as source:
            for line in source:
                stripped = line.strip()
                if stripped.startswith('//'):
                    continue
                if stripped == 'STRINGTABLE':
                    in_table = True
                    continue
                if in_table and stripped == 'END':
                    in_table = False
                    continue
                match = RC_STRING.match(line) if in_table else RC_CONTROL.match(line)
                if not match:
                    continue
                text = rc_unquote(match.group(match.lastindex))
                if not text.strip():
                    continue
                if not in_table and match.group(1) == 'CONTROL' and not re.search(r'[a-z]', text):
                    continue
                found.append((text, 'src/resources/' + name))
    return found


def installer_texts(root):
    folder = os.path.join(root, 'installer')
    found = []
    if not os.path.isdir(folder):
        return found
    for name in sorted(os.listdir(folder)):
        if not name.endswith('.nsi') and not name.endswith('.nsh'):
            continue
        with open(os.path.join(folder, name), encoding='utf-8') as source:
            for line in source:
                match = NSIS_STRING.match(line)
                if match:
                    text = re.sub(r'\$\\(.)', lambda m: {'n': '\n', 'r': '\r', 't': '\t'}.get(m.group(1), m.group(1)),
                                  match.group(2))
                    # Line ends are plain "\n" in catalogues; the setup program's writer restores them.
                    text = text.replace('$$', '$').replace('\r\n', '\n')
                    found.append((text, 'installer/' + name))
    return found


def write_entries(path, entries):
    seen = {}
    for text, location in entries:
        seen.setdefault(text, [])
        if location not in seen[text]:
            seen[text].append(location)
    with open(path, 'w', encoding='utf-8') as out:
        out.write(HEADER)
        for text, locations in seen.items():
            out.write('\n#: ' + ' '.join(locations) + '\n')
            if '%' in text:
                out.write('#, no-c-format\n')
            out.write('msgid ' + po_quote(text) + '\nmsgstr ""\n')


def main():
    root, output = sys.argv[1], sys.argv[2]
    sources = []
    for folder, _, files in os.walk(os.path.join(root, 'src')):
        for name in files:
            if name.endswith('.cpp') or name.endswith('.h'):
                sources.append(os.path.relpath(os.path.join(folder, name), root))
    sources.sort()
    with tempfile.TemporaryDirectory() as scratch:
        partial = os.path.join(scratch, 'partial.pot')
        write_entries(partial, resource_texts(root) + installer_texts(root))
        subprocess.run(['xgettext', '--language=C++', '--from-code=UTF-8', '--keyword=', '--keyword=Tr',
                        '--keyword=TrN:1,2', '--keyword=TrNoop', '--add-comments=Translators:',
                        '--add-location=file', '--join-existing', '--omit-header', '--no-wrap',
                        '--output=' + partial] + sources, cwd=root, check=True)
        with open(partial, encoding='utf-8') as made:
            text = made.read()
    os.makedirs(os.path.dirname(os.path.abspath(output)), exist_ok=True)
    if os.path.exists(output):
        with open(output, encoding='utf-8') as old:
            if old.read() == text:
                return 0
    with open(output, 'w', encoding='utf-8') as out:
        out.write(text)
    return 0


if __name__ == '__main__':
    sys.exit(main())
