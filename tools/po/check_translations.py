#!/usr/bin/env python3
"""The translations are complete and sound: po/dozelite.pot is what the sources give
today, every po/<language>.po holds every text of it translated (nothing untranslated,
fuzzy or left over), with the plural forms its language needs, and msgfmt's checks and
pofilter's (access keys, printf directives, variables) report nothing. The pseudo-
language made from the template passes the same checks. The Group Policy templates'
texts are held to the same: po/policy/dozelite-policy.pot current with the English
ADML, each po/policy/<language>.po complete, and each policy/<locale>/Dozelite.adml
what that catalogue gives (tools/po/adml.py).
Usage: check_translations.py <repository root>
"""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import adml  # noqa: E402
import po_file  # noqa: E402

# The number of plural forms of each language (CLDR's integer categories as gettext uses them).
PLURAL_FORMS = {'de': 2, 'es': 2, 'fr': 2, 'it': 2, 'nl': 2, 'pl': 3, 'pt_BR': 2, 'ru': 3, 'uk': 3, 'tr': 2,
                'ja': 1, 'ko': 1, 'zh_CN': 1, 'zh_TW': 1, 'qps-ploc': 2}


def tool_output(command):
    done = subprocess.run(command, capture_output=True, text=True)
    return done.returncode, (done.stdout + done.stderr).strip()


def check_po(path, language, template_ids, problems):
    name = os.path.basename(path)
    entries = po_file.read(path)
    ids = {}
    for entry in entries:
        if entry.msgid:
            ids[(entry.msgctxt, entry.msgid)] = entry
    for key in template_ids:
        entry = ids.get(key)
        if entry is None:
            problems.append('%s: missing "%s"' % (name, key[1][:60]))
        elif entry.fuzzy:
            problems.append('%s: fuzzy "%s"' % (name, key[1][:60]))
        elif not entry.translated:
            problems.append('%s: untranslated "%s"' % (name, key[1][:60]))
    for key in ids:
        if key not in template_ids:
            problems.append('%s: "%s" is not in the template (run ./dev po)' % (name, key[1][:60]))
    rule = po_file.header_field(entries, 'Plural-Forms') or ''
    want = PLURAL_FORMS.get(language)
    if want is None:
        problems.append('%s: no plural count known for %s (add it to this check)' % (name, language))
    elif 'nplurals=%d;' % want not in rule.replace(' ', ''):
        problems.append('%s: Plural-Forms "%s" is not nplurals=%d' % (name, rule, want))
    else:
        for entry in ids.values():
            if entry.msgid_plural is not None and sorted(entry.msgstr) != list(range(want)):
                problems.append('%s: "%s" has not %d forms' % (name, entry.msgid[:60], want))
    code, text = tool_output(['msgfmt', '--check', '--check-accelerators=&', '-o', os.devnull, path])
    if code != 0 or text:
        problems.append('%s: msgfmt: %s' % (name, text))
    with tempfile.TemporaryDirectory() as scratch:
        flagged = os.path.join(scratch, 'flagged.po')
        code, text = tool_output(['pofilter', '--progress=none', '--kde', '--language=' + language.split('_')[0],
                                  '-t', 'accelerators', '-t', 'printf', '-t', 'variables', path, flagged])
        if code != 0:
            problems.append('%s: pofilter failed: %s' % (name, text))
        elif os.path.exists(flagged):
            for entry in po_file.read(flagged):
                notes = [c[len('# (pofilter) '):] for c in entry.comments if c.startswith('# (pofilter)')]
                if notes and entry.msgid:
                    problems.append('%s: "%s": %s' % (name, entry.msgid[:60], '; '.join(notes)))


def check_policy_templates(root, problems):
    folder = os.path.join(root, 'po', 'policy')
    with tempfile.TemporaryDirectory() as scratch:
        fresh = os.path.join(scratch, 'dozelite-policy.pot')
        adml.write_pot(root, fresh)
        committed = os.path.join(folder, 'dozelite-policy.pot')
        if not os.path.exists(committed) or open(committed, encoding='utf-8').read() != open(fresh,
                                                                                          encoding='utf-8').read():
            problems.append('po/policy/dozelite-policy.pot differs from the English template: run ./dev po')
        template_ids = {(e.msgctxt, e.msgid) for e in po_file.read(fresh) if e.msgid}
        languages = adml.languages(root)
        for language in languages:
            check_po(os.path.join(folder, language + '.po'), language, template_ids, problems)
        for path in adml.write_all(root, scratch):
            shipped = os.path.join(root, 'policy', os.path.relpath(path, scratch))
            if not os.path.exists(shipped) or open(shipped, encoding='utf-8').read() != open(path,
                                                                                          encoding='utf-8').read():
                problems.append('%s differs from its catalogue: run ./dev po' % os.path.relpath(shipped, root))
        program = sorted(n[:-3] for n in os.listdir(os.path.join(root, 'po')) if n.endswith('.po'))
        if languages != program:
            problems.append('the templates are translated into %s, the program into %s' % (languages, program))


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else '.')
    tools = os.path.join(root, 'tools', 'po')
    problems = []
    with tempfile.TemporaryDirectory() as scratch:
        fresh = os.path.join(scratch, 'dozelite.pot')
        subprocess.run([sys.executable, os.path.join(tools, 'extract_pot.py'), root, fresh], check=True)
        committed = os.path.join(root, 'po', 'dozelite.pot')
        with open(fresh, encoding='utf-8') as made:
            made_text = made.read()
        if not os.path.exists(committed) or open(committed, encoding='utf-8').read() != made_text:
            problems.append('po/dozelite.pot differs from what the sources give: run ./dev po')
        template_ids = {(e.msgctxt, e.msgid) for e in po_file.read(fresh) if e.msgid}
        pseudo = os.path.join(scratch, 'qps-ploc.po')
        subprocess.run([sys.executable, os.path.join(tools, 'pseudo.py'), fresh, pseudo], check=True)
        check_po(pseudo, 'qps-ploc', template_ids, problems)
        languages = sorted(n[:-3] for n in os.listdir(os.path.join(root, 'po')) if n.endswith('.po'))
        for language in languages:
            check_po(os.path.join(root, 'po', language + '.po'), language, template_ids, problems)
    check_policy_templates(root, problems)
    for problem in problems:
        print(problem)
    print('%d languages checked, %d problems' % (len(languages) + 1, len(problems)))
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
