#!/usr/bin/env python3
"""The Group Policy templates' texts in every language: policy/en-US/Dozelite.adml is the
source, po/policy/dozelite-policy.pot its texts for translators (one entry per string
and presentation label, the id as context), po/policy/<language>.po their translations,
and policy/<locale>/Dozelite.adml the language's template, written from the English one
with each text replaced. These catalogues are not linked into the program.

Usage: adml.py pot <repository root> <output .pot>
       adml.py write <repository root> [output folder, default <root>/policy]
"""
import os
import re
import sys
from xml.sax.saxutils import escape, unescape

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import po_file  # noqa: E402

# The folder of each catalogue's template: Windows looks for the ADML of the user's UI language.
LOCALES = {'de': 'de-DE', 'es': 'es-ES', 'fr': 'fr-FR', 'it': 'it-IT', 'nl': 'nl-NL', 'pl': 'pl-PL',
           'pt_BR': 'pt-BR', 'tr': 'tr-TR', 'ru': 'ru-RU', 'uk': 'uk-UA', 'ja': 'ja-JP', 'ko': 'ko-KR',
           'zh_CN': 'zh-CN', 'zh_TW': 'zh-TW'}

# A text of the ADML: the element's opening tag (with the id that names it), the text, the closing tag.
TEXT = re.compile(r'(<(string|decimalTextBox|textBox|checkBox|dropdownList|listBox|comboBox|text|'
                  r'longDecimalTextBox|multiTextBox)\b([^>]*?)(?<!/)>)(.*?)(</\2>)', re.S)
HEADER_TEXT = re.compile(r'(<(displayName|description)>)(.*?)(</\2>)', re.S)
ID = re.compile(r'\b(?:id|refId)="([^"]+)"')

POT_HEADER = '''# The texts of Dozelite's Group Policy templates, for translators. Generated from
# policy/en-US/Dozelite.adml by tools/po/adml.py (`./dev po`); never edited by hand.
# Registry keys, value names and example values (running, front, mon-fri 08:30-17:30)
# stay as they are; menu paths are the program's own translated menu texts.
msgid ""
msgstr ""
"Project-Id-Version: Dozelite policy templates\\n"
"Report-Msgid-Bugs-To: \\n"
"Language: \\n"
"MIME-Version: 1.0\\n"
"Content-Type: text/plain; charset=UTF-8\\n"
"Content-Transfer-Encoding: 8bit\\n"
"Plural-Forms: nplurals=INTEGER; plural=EXPRESSION;\\n"
'''


def english_path(root):
    return os.path.join(root, 'policy', 'en-US', 'Dozelite.adml')


def texts(adml):
    """(context, text) of every translatable text, in file order. A presentation's label
    has the context "presentation.<id>", the header's "displayName" and "description"."""
    found = []
    for match in HEADER_TEXT.finditer(adml):
        found.append((match.group(2), unescape(match.group(3), {'&quot;': '"'})))
    for match in TEXT.finditer(adml):
        ident = ID.search(match.group(3))
        if not ident or not match.group(4).strip():
            continue
        context = ident.group(1) if match.group(2) == 'string' else 'presentation.' + ident.group(1)
        found.append((context, unescape(match.group(4), {'&quot;': '"'})))
    return found


def write_pot(root, output):
    adml = open(english_path(root), encoding='utf-8').read()
    lines = [POT_HEADER]
    seen = set()
    for context, text in texts(adml):
        if context in seen:
            raise SystemExit('adml.py: the id %s is used twice in the English template' % context)
        seen.add(context)
        lines.append('\n#: policy/en-US/Dozelite.adml\nmsgctxt %s\nmsgid %s\nmsgstr ""\n' % (po_file.quote(context),
                                                                                            po_file.quote(text)))
    with open(output, 'w', encoding='utf-8', newline='\n') as stream:
        stream.write(''.join(lines))


def translated(adml, table):
    """The English template with each text replaced by table[(context, English)] where it has one."""
    def header(match):
        text = table.get((match.group(2), unescape(match.group(3), {'&quot;': '"'})))
        return match.group(1) + (escape(text) if text else match.group(3)) + match.group(4)

    def body(match):
        ident = ID.search(match.group(3))
        if not ident:
            return match.group(0)
        context = ident.group(1) if match.group(2) == 'string' else 'presentation.' + ident.group(1)
        text = table.get((context, unescape(match.group(4), {'&quot;': '"'})))
        return match.group(1) + (escape(text) if text else match.group(4)) + match.group(5)

    return TEXT.sub(body, HEADER_TEXT.sub(header, adml))


def catalogue(path):
    """{(context, English): translation} of one catalogue; untranslated and fuzzy entries left out."""
    return {(entry.msgctxt, entry.msgid): entry.msgstr[0] for entry in po_file.read(path)
            if entry.msgid and entry.translated and not entry.fuzzy}


def languages(root):
    folder = os.path.join(root, 'po', 'policy')
    if not os.path.isdir(folder):
        return []
    return sorted(name[:-3] for name in os.listdir(folder) if name.endswith('.po'))


def write_all(root, output):
    """Writes every language's template under output; returns the paths written."""
    adml = open(english_path(root), encoding='utf-8').read()
    written = []
    for language in languages(root):
        locale = LOCALES.get(language)
        if not locale:
            raise SystemExit('adml.py: no Windows locale known for po/policy/%s.po (add it to LOCALES)' % language)
        path = os.path.join(output, locale, 'Dozelite.adml')
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, 'w', encoding='utf-8', newline='\n') as stream:
            stream.write(translated(adml, catalogue(os.path.join(root, 'po', 'policy', language + '.po'))))
        written.append(path)
    return written


def main():
    if len(sys.argv) >= 4 and sys.argv[1] == 'pot':
        write_pot(os.path.abspath(sys.argv[2]), sys.argv[3])
    elif len(sys.argv) >= 3 and sys.argv[1] == 'write':
        root = os.path.abspath(sys.argv[2])
        write_all(root, sys.argv[3] if len(sys.argv) > 3 else os.path.join(root, 'policy'))
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == '__main__':
    sys.exit(main())
