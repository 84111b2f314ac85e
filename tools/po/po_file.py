"""A small reader of PO files: entries with their comments, context, English text,
plural and translations, enough for the build's pseudo-language and the checks."""
import re

_STRING = re.compile(r'"((?:[^"\\]|\\.)*)"')
_ESCAPES = {'n': '\n', 't': '\t', 'r': '\r', '"': '"', '\\': '\\', 'a': '\a', 'b': '\b', 'f': '\f', 'v': '\v'}


def unquote(text):
    return re.sub(r'\\(.)', lambda m: _ESCAPES.get(m.group(1), m.group(1)), text)


def quote(text):
    text = text.replace('\\', '\\\\').replace('"', '\\"').replace('\t', '\\t')
    return '"' + text.replace('\r', '\\r').replace('\n', '\\n') + '"'


class Entry:
    def __init__(self):
        self.comments = []  # the "#" lines as they stand
        self.flags = set()
        self.msgctxt = None
        self.msgid = None
        self.msgid_plural = None
        self.msgstr = {}  # form number (0 for a plain entry) -> text
        self.obsolete = False

    @property
    def fuzzy(self):
        return 'fuzzy' in self.flags

    @property
    def translated(self):
        return bool(self.msgstr) and all(self.msgstr.values()) and not self.fuzzy


def read(path):
    """The entries of a PO file in order; the header is the entry whose msgid is ""."""
    entries = []
    entry = Entry()
    field = None
    with open(path, encoding='utf-8') as source:
        for raw in source:
            line = raw.rstrip('\n')
            if not line.strip():
                if entry.msgid is not None:
                    entries.append(entry)
                entry, field = Entry(), None
                continue
            if line.startswith('#~'):
                entry.obsolete = True
                continue
            if line.startswith('#'):
                if entry.msgid is not None:
                    entries.append(entry)
                    entry, field = Entry(), None
                entry.comments.append(line)
                if line.startswith('#,'):
                    entry.flags.update(flag.strip() for flag in line[2:].split(','))
                continue
            match = re.match(r'(msgctxt|msgid_plural|msgid|msgstr(?:\[(\d+)\])?)\s+(.*)$', line)
            if match:
                keyword = match.group(1)
                value = unquote(_STRING.match(match.group(3)).group(1))
                if keyword == 'msgid' and entry.msgid is not None:
                    entries.append(entry)
                    entry = Entry()
                if keyword.startswith('msgstr'):
                    field = ('msgstr', int(match.group(2) or 0))
                    entry.msgstr[field[1]] = value
                else:
                    field = (keyword, None)
                    setattr(entry, keyword, value)
                continue
            string = _STRING.match(line.strip())
            if string and field:
                value = unquote(string.group(1))
                if field[0] == 'msgstr':
                    entry.msgstr[field[1]] += value
                else:
                    setattr(entry, field[0], getattr(entry, field[0]) + value)
    if entry.msgid is not None:
        entries.append(entry)
    return [e for e in entries if not e.obsolete]


def header_field(entries, name):
    for entry in entries:
        if entry.msgid == '' and entry.msgctxt is None:
            for line in entry.msgstr.get(0, '').split('\n'):
                if line.lower().startswith(name.lower() + ':'):
                    return line.split(':', 1)[1].strip()
    return None
