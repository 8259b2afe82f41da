#!/usr/bin/env python3
"""Checks the essays of the demo disc as the reader will see them.

Looks at content/demo/ only (what the build packs), not at the sources:
  - every essay: Windows-1251, CR LF line ends, charset meta, a title, the style sheet;
  - every link, picture and style sheet named in an essay exists under the name the
    archive will hold (lower case), "..\\" and "../" steps and anchors "#name" included;
    command links "$load*document" and "$load_tree*index*file" name existing files;
  - every line of tree2.txt, tree_alpha.txt and tree_time.txt: tab indentation, no
    jump of more than one level, an existing document; every tree lists every essay once;
  - file.ind: one line per essay, "document#;#title", in the order of tree2.txt, the
    title equal to the essay's <title>;
  - the .doc counterparts: RTF with Windows-1251 text and balanced braces;
  - pictures: at least two of each of JPEG, GIF, PNG and BMP, and the splash picture.

Run:  python3 content/tools/check_disc.py      (exit status 1 when a problem is found)
"""

import html
import html.parser
import os
import posixpath
import re
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
DEMO = os.path.normpath(os.path.join(HERE, '..', 'demo'))
TREES = ('tree2.txt', 'tree_alpha.txt', 'tree_time.txt')

problems = []


def problem(where, text):
    problems.append('%s: %s' % (where, text))


def exists(name):
    """Whether an archive name (relative, "\\" or "/" between folders) is a file of
    the disc, spelt exactly so (archive names are lower case)."""
    rel = name.replace('\\', '/')
    return os.path.isfile(os.path.join(DEMO, rel)) and rel == rel.lower()


def resolve(doc, ref):
    """The archive name of ref, a name relative to the folder of doc."""
    ref = ref.replace('\\', '/')
    if ref.startswith('file://'):
        ref = ref[len('file://'):].lstrip('/')
    folder = posixpath.dirname(doc.replace('\\', '/'))
    return posixpath.normpath(posixpath.join(folder, ref))


def read_text(path, where):
    with open(path, 'rb') as f:
        data = f.read()
    try:
        text = data.decode('cp1251')
    except UnicodeDecodeError as e:
        problem(where, 'not Windows-1251 (%s)' % e)
        text = data.decode('cp1251', 'replace')
    if re.search(rb'(?<!\r)\n', data) or re.search(rb'\r(?!\n)', data):
        problem(where, 'line ends are not all CR LF')
    return text


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.refs = []          # (kind, value)
        self.anchors = set()
        self.title = None
        self._in_title = False
        self.meta_charset = False
        self.stylesheets = []

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == 'a':
            if a.get('name'):
                self.anchors.add(a['name'])
            if a.get('href'):
                self.refs.append(('link', a['href']))
        elif tag == 'img':
            self.refs.append(('picture', a.get('src', '')))
            if not a.get('width') or not a.get('height'):
                self.refs.append(('nosize', a.get('src', '')))
        elif tag == 'link' and a.get('rel', '').lower() == 'stylesheet':
            self.stylesheets.append(a.get('href', ''))
            self.refs.append(('style sheet', a.get('href', '')))
        elif tag == 'meta':
            if 'charset=windows-1251' in a.get('content', '').lower().replace(' ', ''):
                self.meta_charset = True
        elif tag == 'title':
            self._in_title = True
            self.title = ''

    def handle_endtag(self, tag):
        if tag == 'title':
            self._in_title = False

    def handle_data(self, data):
        if self._in_title:
            self.title += data


pages = {}


def page(name):
    """The parsed essay of an archive name, or None."""
    key = name.replace('\\', '/')
    if key not in pages:
        path = os.path.join(DEMO, key)
        if not os.path.isfile(path):
            pages[key] = None
        else:
            p = Page()
            p.feed(read_text(path, key))
            pages[key] = p
    return pages[key]


def check_essays():
    essays = []
    for root, _dirs, files in os.walk(os.path.join(DEMO, 'essays')):
        for fn in files:
            if fn.endswith('.htm'):
                essays.append(os.path.relpath(os.path.join(root, fn), DEMO).replace(os.sep, '/'))
    essays.sort()
    counts = {'link': 0, 'picture': 0, 'style sheet': 0, 'anchor': 0, 'command': 0, 'up': 0}
    for doc in essays:
        p = page(doc)
        if not p.meta_charset:
            problem(doc, 'no charset meta for windows-1251')
        if not p.title or not p.title.strip():
            problem(doc, 'no title')
        if not p.stylesheets:
            problem(doc, 'no linked style sheet')
        for kind, ref in p.refs:
            if kind == 'nosize':
                problem(doc, 'picture %s without width and height' % ref)
                continue
            if not ref:
                problem(doc, 'empty %s reference' % kind)
                continue
            if ref.startswith('$'):
                counts['command'] += 1
                parts = [x for x in ref[1:].split('*') if x]
                if parts[0] == 'load' and len(parts) >= 2:
                    if not exists(parts[1].split('#')[0]):
                        problem(doc, 'command link %s: no document %s' % (ref, parts[1]))
                elif parts[0] == 'load_tree' and len(parts) >= 3:
                    if not exists(parts[2]):
                        problem(doc, 'command link %s: no tree file %s' % (ref, parts[2]))
                else:
                    problem(doc, 'command link %s is not one this checker knows' % ref)
                continue
            if re.match(r'[a-z]+:', ref) and not ref.startswith('file:'):
                problem(doc, 'external %s %s' % (kind, ref))
                continue
            counts[kind] += 1
            target, _, anchor = ref.partition('#')
            if target.startswith('..\\') or target.startswith('../'):
                counts['up'] += 1
            name = resolve(doc, target) if target else doc
            if target and not exists(name):
                problem(doc, '%s %s: no file %s' % (kind, ref, name))
                continue
            if anchor:
                counts['anchor'] += 1
                t = page(name)
                if t is None or anchor not in t.anchors:
                    problem(doc, 'link %s: no anchor "%s" in %s' % (ref, anchor, name))
    return essays, counts


def tree_lines(name):
    path = os.path.join(DEMO, name)
    if not os.path.isfile(path):
        problem(name, 'missing')
        return []
    text = read_text(path, name)
    return [l for l in text.split('\r\n')][:-1] if text.endswith('\r\n') else text.split('\r\n')


def check_trees(essays):
    docs_in = {}
    for tree in TREES:
        prev = None
        seen = []
        for i, line in enumerate(tree_lines(tree), 1):
            where = '%s line %d' % (tree, i)
            body = line.lstrip('\t ')
            indent = line[:len(line) - len(body)]
            if ' ' in indent:
                problem(where, 'indented with blanks, not tabs')
            level = len(indent)
            if prev is None and level != 0:
                problem(where, 'first line is indented')
            if prev is not None and level > prev + 1:
                problem(where, 'two levels deeper than the line before')
            prev = level
            doc, _, caption = body.partition(';')
            doc = doc.strip()
            if not caption:
                problem(where, 'no caption')
            if doc:
                if doc != doc.lower() or '/' in doc:
                    problem(where, 'document %s is not a lower-case archive name with "\\"' % doc)
                if not exists(doc):
                    problem(where, 'no document %s' % doc)
                seen.append(doc.replace('\\', '/'))
        docs_in[tree] = seen
        missing = sorted(set(essays) - set(seen))
        twice = sorted({d for d in seen if seen.count(d) > 1})
        if missing:
            problem(tree, 'essays missing: %s' % ', '.join(missing))
        if twice:
            problem(tree, 'essays listed twice: %s' % ', '.join(twice))
    return docs_in


def check_index(tree_order):
    lines = tree_lines('file.ind')
    order = []
    for i, line in enumerate(lines, 1):
        where = 'file.ind line %d' % i
        if '#;#' not in line:
            problem(where, 'no "#;#" separator')
            continue
        doc, _, title = line.partition('#;#')
        order.append(doc.replace('\\', '/'))
        if not exists(doc):
            problem(where, 'no document %s' % doc)
            continue
        p = page(doc)
        if p and (p.title or '').strip() != title:
            problem(where, 'title "%s" differs from the essay\'s "%s"' % (title, p.title))
    if order != tree_order:
        problem('file.ind', 'not one line per essay in the order of tree2.txt')
    return len(lines)


def check_docs(essays):
    without = []
    for doc in essays:
        rtf = doc[:-4] + '.doc'
        path = os.path.join(DEMO, rtf)
        if not os.path.isfile(path):
            without.append(doc)
            continue
        with open(path, 'rb') as f:
            data = f.read()
        if not data.startswith(b'{\\rtf1') or b'\\ansicpg1251' not in data[:200]:
            problem(rtf, 'not an RTF file with code page 1251')
        depth = 0
        escaped = False
        for b in data:
            if escaped:
                escaped = False
            elif b == 0x5C:
                escaped = True
            elif b == 0x7B:
                depth += 1
            elif b == 0x7D:
                depth -= 1
                if depth < 0:
                    break
        if depth != 0:
            problem(rtf, 'unbalanced braces')
        if re.search(rb'[\x80-\xff]', data):
            problem(rtf, 'raw 8-bit bytes; Cyrillic must be escaped')
        title = page(doc).title.strip()
        if b'\\info{\\title ' not in data:
            problem(rtf, 'no title in the document information')
        _ = title
    return without


def image_size(path):
    with open(path, 'rb') as f:
        data = f.read()
    if data[:8] == b'\x89PNG\r\n\x1a\n':
        return 'PNG', struct.unpack('>II', data[16:24])
    if data[:6] in (b'GIF87a', b'GIF89a'):
        return 'GIF', struct.unpack('<HH', data[6:10])
    if data[:2] == b'BM':
        w, h = struct.unpack('<ii', data[18:26])
        return 'BMP', (w, abs(h))
    if data[:2] == b'\xff\xd8':
        i = 2
        while i < len(data):
            if data[i] != 0xFF:
                break
            marker = data[i + 1]
            length = struct.unpack('>H', data[i + 2:i + 4])[0]
            if marker in (0xC0, 0xC1, 0xC2):
                h, w = struct.unpack('>HH', data[i + 5:i + 9])
                return 'JPEG', (w, h)
            i += 2 + length
        return 'JPEG', None
    return None, None


def check_pictures():
    kinds = {}
    folder = os.path.join(DEMO, 'pictures')
    for fn in sorted(os.listdir(folder)):
        kind, size = image_size(os.path.join(folder, fn))
        ext = fn.rsplit('.', 1)[-1]
        expect = {'jpg': 'JPEG', 'gif': 'GIF', 'png': 'PNG', 'bmp': 'BMP'}.get(ext)
        if kind is None or kind != expect:
            problem('pictures/' + fn, 'content is %s, name says %s' % (kind, expect))
        kinds.setdefault(kind, []).append(fn)
        if fn == 'splash.jpg' and size and not (400 <= size[0] <= 560 and 250 <= size[1] <= 350):
            problem('pictures/splash.jpg', 'size %dx%d, not about 480x300' % size)
    for k in ('JPEG', 'GIF', 'PNG', 'BMP'):
        if len(kinds.get(k, [])) < 2:
            problem('pictures', 'fewer than two %s pictures' % k)
    if not os.path.isfile(os.path.join(folder, 'splash.jpg')):
        problem('pictures', 'no splash.jpg')
    return kinds


def check_names():
    for sub in ('essays', 'pictures', 'css'):
        for root, _dirs, files in os.walk(os.path.join(DEMO, sub)):
            for fn in files:
                rel = os.path.relpath(os.path.join(root, fn), DEMO)
                if not re.fullmatch(r'[a-z0-9_./-]+', rel.replace(os.sep, '/')):
                    problem(rel, 'name is not lower-case ASCII')


def main():
    check_names()
    essays, counts = check_essays()
    docs_in = check_trees(essays)
    n_index = check_index(docs_in.get('tree2.txt', []))
    without = check_docs(essays)
    kinds = check_pictures()
    referenced = set()
    for p in pages.values():
        if p:
            for kind, ref in p.refs:
                if kind == 'picture' or (kind == 'link' and ref.lower().endswith(('.jpg', '.gif', '.png', '.bmp'))):
                    referenced.add(posixpath.basename(ref.replace('\\', '/')))
    unused = sorted(f for v in kinds.values() for f in v
                    if f not in referenced and f != 'splash.jpg' and not f.startswith('node_'))

    print('essays: %d; links: %d (%d with "..\\" or "../", %d to anchors), pictures: %d, '
          'style sheets: %d, command links: %d'
          % (len(essays), counts['link'], counts['up'], counts['anchor'], counts['picture'],
             counts['style sheet'], counts['command']))
    print('trees: ' + ', '.join('%s %d essays' % (t, len(set(d))) for t, d in docs_in.items())
          + '; file.ind: %d lines' % n_index)
    print('.doc counterparts: %d; without: %s' % (len(essays) - len(without), ', '.join(without) or 'none'))
    print('pictures: ' + ', '.join('%s %d' % (k, len(v)) for k, v in sorted(kinds.items(), key=str))
          + ('; not used by any essay: ' + ', '.join(unused) if unused else ''))
    if problems:
        print('%d problem(s):' % len(problems))
        for p in problems:
            print('  ' + p)
        return 1
    print('OK')
    return 0


if __name__ == '__main__':
    sys.exit(main())
