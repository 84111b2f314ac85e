#!/usr/bin/env python3
"""Writes the pseudo-language (qps-ploc) from the template: every text in brackets, its
letters accented and about 40 % longer, its access key, format directives, escapes and
tab-separated shortcuts kept. A text without brackets on the screen escaped the catalogue.
Usage: pseudo.py <dozelite.pot> <qps-ploc.po>
"""
import re
import sys

import po_file

ACCENTED = dict(zip('AEIOUYCNaeiouycnSZszDdGgLlRrTt',
                    'ÅÉÎÖÛÝÇÑàéîöûýçñŠŽšžĎďĞğĹĺŘřŤť'))
# A format directive, an access key's "&", a doubled "&&" and the shortcut after a tab.
KEEP = re.compile(r'%(?:\d+\$)?[-+ #0]*(?:\d+|\*)?(?:\.(?:\d+|\*))?(?:hh|h|ll|l|I64|z)?[diouxXsScpf%]|&&|&|\t.*$')


def pseudo(text):
    if not text:
        return text
    out = []
    position = 0
    letters = 0
    for match in KEEP.finditer(text):
        plain = text[position:match.start()]
        out.append(''.join(ACCENTED.get(c, c) for c in plain))
        letters += sum(c.isalnum() for c in plain)
        out.append(match.group(0))
        position = match.end()
        # The access key itself stays as it is: the same keys as English, none lost or shared.
        if match.group(0) == '&' and position < len(text):
            out.append(text[position])
            position += 1
    tail = text[position:]
    out.append(''.join(ACCENTED.get(c, c) for c in tail))
    letters += sum(c.isalnum() for c in tail)
    body = ''.join(out)
    padding = '\u00b7' * max(1, (len(text) * 2 + 4) // 5)
    # The shortcut after a tab stays at the end, outside the brackets.
    if '\t' in body:
        label, shortcut = body.split('\t', 1)
        return '[' + label + padding + ']\t' + shortcut
    # Line breaks stay where they are; the brackets go around the whole.
    return '[' + body + padding + ']'


def main():
    entries = po_file.read(sys.argv[1])
    with open(sys.argv[2], 'w', encoding='utf-8') as out:
        out.write('# The pseudo-language, made from the template by tools/po/pseudo.py.\n')
        out.write('msgid ""\nmsgstr ""\n"Project-Id-Version: Dozelite\\n"\n"PO-Revision-Date: 2026-12-07 00:00+0000\\n"\n'
                  '"Last-Translator: tools/po/pseudo.py\\n"\n"Language-Team: none\\n"\n'
                  '"Language: qps-ploc\\n"\n"MIME-Version: 1.0\\n"\n'
                  '"Content-Type: text/plain; charset=UTF-8\\n"\n"Content-Transfer-Encoding: 8bit\\n"\n'
                  '"Plural-Forms: nplurals=2; plural=(n != 1);\\n"\n')
        for entry in entries:
            if not entry.msgid:
                continue
            out.write('\n')
            if entry.msgctxt is not None:
                out.write('msgctxt ' + po_file.quote(entry.msgctxt) + '\n')
            out.write('msgid ' + po_file.quote(entry.msgid) + '\n')
            if entry.msgid_plural is not None:
                out.write('msgid_plural ' + po_file.quote(entry.msgid_plural) + '\n')
                out.write('msgstr[0] ' + po_file.quote(pseudo(entry.msgid)) + '\n')
                out.write('msgstr[1] ' + po_file.quote(pseudo(entry.msgid_plural)) + '\n')
            else:
                out.write('msgstr ' + po_file.quote(pseudo(entry.msgid)) + '\n')
    return 0


if __name__ == '__main__':
    sys.exit(main())
