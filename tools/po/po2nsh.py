#!/usr/bin/env python3
"""Writes the setup program's languages from the catalogues: one MUI_LANGUAGE per
po/<language>.po (installer_languages.nsh) and, for each, every LangString of
installer/strings.nsh in that language (installer_strings.nsh), English where a text has
no translation. Usage: po2nsh.py <repository root> <output folder>
"""
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import po_file  # noqa: E402

# The setup program's names of the languages the program speaks.
NSIS_LANGUAGES = {'de': 'German', 'es': 'Spanish', 'fr': 'French', 'it': 'Italian', 'nl': 'Dutch', 'pl': 'Polish',
                  'pt_BR': 'PortugueseBR', 'tr': 'Turkish', 'ru': 'Russian', 'uk': 'Ukrainian', 'ja': 'Japanese',
                  'ko': 'Korean', 'zh_CN': 'SimpChinese', 'zh_TW': 'TradChinese'}
LANG_STRING = re.compile(r'^\s*LangString\s+(\w+)\s+\$\{LANG_ENGLISH\}\s+"((?:[^"\\]|\\.)*)"')
DEFINE = re.compile(r'\$\{\w+\}')


def nsis_unescape(text):
    text = re.sub(r'\$\\(.)', lambda m: {'n': '\n', 'r': '\r', 't': '\t'}.get(m.group(1), m.group(1)), text)
    return text.replace('$$', '$')


def nsis_escape(text):
    out = []
    position = 0
    for match in DEFINE.finditer(text):  # ${PRODUCT} and the like stay defines
        out.append(text[position:match.start()].replace('$', '$$'))
        out.append(match.group(0))
        position = match.end()
    out.append(text[position:].replace('$', '$$'))
    text = ''.join(out)
    return text.replace('"', '$\\"').replace('\n', '$\\r$\\n').replace('\t', '$\\t')


def main():
    root, output = sys.argv[1], sys.argv[2]
    strings = []
    with open(os.path.join(root, 'installer', 'strings.nsh'), encoding='utf-8') as source:
        for line in source:
            match = LANG_STRING.match(line)
            if match:
                strings.append((match.group(1), nsis_unescape(match.group(2)).replace('\r\n', '\n')))
    languages, texts = [], []
    po_folder = os.path.join(root, 'po')
    for name in sorted(os.listdir(po_folder)):
        language = name[:-3]
        if not name.endswith('.po') or language not in NSIS_LANGUAGES:
            continue
        nsis = NSIS_LANGUAGES[language]
        languages.append('!insertmacro MUI_LANGUAGE "%s"' % nsis)
        translated = {e.msgid: e.msgstr.get(0) for e in po_file.read(os.path.join(po_folder, name))
                      if e.msgid and e.translated and e.msgid_plural is None}
        for key, english in strings:
            text = translated.get(english) or english
            texts.append('LangString %s ${LANG_%s} "%s"' % (key, nsis.upper(), nsis_escape(text)))
    os.makedirs(output, exist_ok=True)
    for file_name, lines in (('installer_languages.nsh', languages), ('installer_strings.nsh', texts)):
        content = '; Written by tools/po/po2nsh.py from po/*.po.\n' + ''.join(line + '\n' for line in lines)
        path = os.path.join(output, file_name)
        if not os.path.exists(path) or open(path, encoding='utf-8').read() != content:
            with open(path, 'w', encoding='utf-8') as out:
                out.write(content)
    return 0


if __name__ == '__main__':
    sys.exit(main())
