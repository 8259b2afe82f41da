#!/usr/bin/env python3
"""Builds the essays of the demo disc from their UTF-8 sources.

Reads  content/tools/essays/outline.txt   (the topic tree: sections and essays)
       content/tools/essays/<folder>/<name>.txt   (one essay each)
Writes content/demo/essays/<folder>/<name>.htm   (HTML 4, Windows-1251, CRLF)
       content/demo/essays/<folder>/<name>.doc   (RTF, Windows-1251; unless "doc: no")
       content/demo/tree2.txt, tree_alpha.txt, tree_time.txt, file.ind

Run from anywhere:  python3 content/tools/build_disc.py
The pictures must exist first (content/tools/make_pictures.py), because their
sizes go into the HTML and they are embedded into the .doc files.

Source format of an essay: header lines "key: value" up to a line "---", then
the body. Header keys: title (full title), caption (tree caption; default the
title), year (the date of the subject for the chronological tree; "-" for
what has always been; "top" for the essays that open every tree),
order (sorting among essays of the same year; among the undated ones, below 10
means nature, 10 and above customs, crafts and tales), doc (yes/no).

Body: blocks separated by empty lines.
  ## text            heading h2;  "## [name] text" also sets the anchor "name"
  ### text           heading h3
  ! text             lead paragraph (italic, under the title)
  > text             quotation
  - text             list item (consecutive items form one list)
  [pic file|Caption]           picture from content/demo/pictures, centred, captioned
  [pic file|Caption|big-file]  the same, the picture links to big-file
  [table Caption]    followed by rows "| a | b |"; the first row is the header
  other text         a paragraph (lines are joined)
Inline:
  [[text|@name]]  [[text|@name#anchor]]  link to an essay by its name
  [[text|#anchor]]                       link inside the essay
  [[text|pic:file]]                      link to a picture (opens the picture window)
  [[text|$command]]                      command link, written as is
  **bold**   _italic_   ~ (non-breaking space)
"""

import os
import re
import subprocess
import sys
import unicodedata

HERE = os.path.dirname(os.path.abspath(__file__))
SRC = os.path.join(HERE, 'essays')
DEMO = os.path.normpath(os.path.join(HERE, '..', 'demo'))
PICS = os.path.join(DEMO, 'pictures')

COLLECTION = 'Полуночный край'
COLLECTION_SUB = 'Очерки о реках, городах и ремёслах северной земли'
HOME = 'kraj/predislovie'


# ------------------------------------------------------------------ reading

class Essay:
    def __init__(self, key):
        self.key = key                      # "zemlya/studena"
        self.folder, self.name = key.split('/')
        self.title = ''
        self.caption = ''
        self.year = None
        self.order = 0
        self.doc = True
        self.blocks = []
        self.trail = []                     # captions of the sections above it

    @property
    def archive_name(self):
        return 'essays\\%s\\%s.htm' % (self.folder, self.name)

    @property
    def doc_name(self):
        return 'essays\\%s\\%s.doc' % (self.folder, self.name)


def read_essay(key):
    path = os.path.join(SRC, key + '.txt')
    with open(path, encoding='utf-8') as f:
        text = f.read()
    head, sep, body = text.partition('\n---\n')
    if not sep:
        sys.exit('%s: no "---" line after the header' % path)
    e = Essay(key)
    for line in head.splitlines():
        if not line.strip():
            continue
        k, _, v = line.partition(':')
        k, v = k.strip(), v.strip()
        if k == 'title':
            e.title = v
        elif k == 'caption':
            e.caption = v
        elif k == 'year':
            e.year = None if v in ('', '-') else ('top' if v == 'top' else int(v))
        elif k == 'order':
            e.order = int(v)
        elif k == 'doc':
            e.doc = v.lower() not in ('no', 'нет', '0')
        else:
            sys.exit('%s: unknown header key %r' % (path, k))
    if not e.title:
        sys.exit('%s: no title' % path)
    e.caption = e.caption or e.title
    e.blocks = parse_body(body, path)
    return e


def parse_body(body, path):
    blocks = []
    for chunk in re.split(r'\n\s*\n', body.strip('\n')):
        lines = [l.rstrip() for l in chunk.strip('\n').split('\n')]
        first = lines[0]
        if first.startswith('### '):
            blocks.append(('h3', None, ' '.join(lines)[4:].strip()))
        elif first.startswith('## '):
            t = ' '.join(lines)[3:].strip()
            m = re.match(r'\[([a-z0-9_]+)\]\s*(.*)', t)
            anchor, t = (m.group(1), m.group(2)) if m else (None, t)
            blocks.append(('h2', anchor, t))
        elif first.startswith('! '):
            blocks.append(('lead', None, ' '.join(lines)[2:].strip()))
        elif first.startswith('> '):
            blocks.append(('quote', None, ' '.join(l[2:] if l.startswith('> ') else l for l in lines)))
        elif first.startswith('- '):
            items = []
            for l in lines:
                if l.startswith('- '):
                    items.append(l[2:].strip())
                else:
                    items[-1] += ' ' + l.strip()
            blocks.append(('list', None, items))
        elif first.startswith('[pic '):
            m = re.match(r'\[pic ([^|\]]+)\|([^|\]]*)(?:\|([^\]]+))?\]$', first)
            if not m:
                sys.exit('%s: bad picture line %r' % (path, first))
            blocks.append(('pic', None, (m.group(1).strip(), m.group(2).strip(),
                                         (m.group(3) or '').strip())))
        elif first.startswith('[table'):
            caption = first[len('[table'):].rstrip(']').strip()
            rows = []
            for l in lines[1:]:
                if not l.startswith('|'):
                    sys.exit('%s: bad table row %r' % (path, l))
                rows.append([c.strip() for c in l.strip().strip('|').split('|')])
            blocks.append(('table', None, (caption, rows)))
        else:
            blocks.append(('p', None, ' '.join(l.strip() for l in lines)))
    return blocks


def read_outline():
    """The outline: tab-indented lines; ";Caption" is a section heading,
    anything else the key of an essay."""
    items = []
    with open(os.path.join(SRC, 'outline.txt'), encoding='utf-8') as f:
        for raw in f:
            line = raw.rstrip('\n')
            if not line.strip() or line.lstrip().startswith('#'):
                continue
            level = len(line) - len(line.lstrip('\t'))
            body = line.strip()
            if body.startswith(';'):
                items.append((level, None, body[1:]))
            else:
                items.append((level, body, None))
    return items


# ------------------------------------------------------------------ pictures

_sizes = {}


def picture_size(name):
    if name not in _sizes:
        path = os.path.join(PICS, name)
        if not os.path.exists(path):
            sys.exit('picture %s does not exist: run make_pictures.py first' % name)
        out = subprocess.check_output(['identify', '-format', '%w %h\n', path], text=True)
        w, h = out.split('\n')[0].split()
        _sizes[name] = (int(w), int(h))
    return _sizes[name]


def picture_for_rtf(name):
    """(blip kind, bytes) of a picture for embedding into RTF."""
    path = os.path.join(PICS, name)
    ext = name.rsplit('.', 1)[1].lower()
    if ext in ('jpg', 'jpeg'):
        with open(path, 'rb') as f:
            return 'jpegblip', f.read()
    if ext == 'png':
        with open(path, 'rb') as f:
            return 'pngblip', f.read()
    data = subprocess.check_output(['convert', path + '[0]', '-strip', '-define',
                                    'png:exclude-chunks=date,time', 'png:-'])
    return 'pngblip', data


# ------------------------------------------------------------------ HTML

ENTITIES = {'«': '&laquo;', '»': '&raquo;', '—': '&mdash;', '\u00a0': '&nbsp;'}


def html_escape(s):
    s = s.replace('&', '&amp;').replace('<', '&lt;').replace('>', '&gt;').replace('"', '&quot;')
    s = s.replace('~', '\u00a0')
    out = []
    for ch in s:
        if ch in ENTITIES:
            out.append(ENTITIES[ch])
        else:
            try:
                ch.encode('cp1251')
                out.append(ch)
            except UnicodeEncodeError:
                out.append('&#%d;' % ord(ch))
    return ''.join(out)


class Context:
    def __init__(self, essays):
        self.essays = essays                # key -> Essay

    def rel(self, src_folder, target_key, backslash=True):
        folder, name = target_key.split('/')
        if folder == src_folder:
            return name + '.htm'
        sep = '\\' if backslash else '/'
        return '..' + sep + folder + sep + name + '.htm'


INLINE = re.compile(r'\[\[([^|\]]+)\|([^\]]+)\]\]|\*\*(.+?)\*\*|_(.+?)_')


def link_target(ctx, essay, target, count):
    """The href of an inline link written in the source."""
    if target.startswith('$'):
        return target
    if target.startswith('#'):
        return target
    if target.startswith('pic:'):
        return '../../pictures/' + target[4:]
    if target.startswith('@'):
        key, _, anchor = target[1:].partition('#')
        if '/' not in key:
            found = [k for k in ctx.essays if k.split('/')[1] == key]
            if len(found) != 1:
                sys.exit('%s: link to unknown essay %r' % (essay.key, key))
            key = found[0]
        if key not in ctx.essays:
            sys.exit('%s: link to unknown essay %r' % (essay.key, key))
        # Links across folders are written mostly with "..\", every third one with "../".
        href = ctx.rel(essay.folder, key, backslash=(count % 3 != 2))
        return href + ('#' + anchor if anchor else '')
    sys.exit('%s: unknown link target %r' % (essay.key, target))


def inline_html(ctx, essay, text):
    out = []
    pos = 0
    n = 0
    for m in INLINE.finditer(text):
        out.append(html_escape(text[pos:m.start()]))
        if m.group(1):
            href = link_target(ctx, essay, m.group(2).strip(), n)
            n += 1
            out.append('<a href="%s">%s</a>' % (html_escape(href), html_escape(m.group(1))))
        elif m.group(3):
            out.append('<b>%s</b>' % html_escape(m.group(3)))
        else:
            out.append('<i>%s</i>' % html_escape(m.group(4)))
        pos = m.end()
    out.append(html_escape(text[pos:]))
    return ''.join(out)


def inline_plain(text):
    def repl(m):
        if m.group(1):
            return m.group(1)
        return m.group(3) or m.group(4)
    return INLINE.sub(repl, text).replace('~', '\u00a0')


def essay_html(ctx, e, prev, nxt):
    L = []
    L.append('<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01 Transitional//EN">')
    L.append('<html>')
    L.append('<head>')
    L.append('<meta http-equiv="Content-Type" content="text/html; charset=windows-1251">')
    L.append('<title>%s</title>' % html_escape(e.title))
    L.append('<link rel="stylesheet" type="text/css" href="../../css/essay.css">')
    L.append('</head>')
    L.append('<body>')
    trail = ['<a href="%s">%s</a>' % (html_escape(ctx.rel(e.folder, HOME)), html_escape(COLLECTION))]
    trail += [html_escape(t) for t in e.trail]
    L.append('<p class="path">%s</p>' % ' &raquo; '.join(trail))
    L.append('<h1><a name="top"></a>%s</h1>' % html_escape(e.title))
    toc = [(b[1], b[2]) for b in e.blocks if b[0] == 'h2' and b[1]]
    for kind, anchor, data in e.blocks:
        if kind == 'lead':
            L.append('<p class="lead">%s</p>' % inline_html(ctx, e, data))
            if len(toc) >= 3:
                L.append('<p class="toc">' + ' &nbsp;&middot;&nbsp; '.join(
                    '<a href="#%s">%s</a>' % (a, html_escape(t)) for a, t in toc) + '</p>')
        elif kind == 'h2':
            if anchor:
                L.append('<h2><a name="%s"></a>%s</h2>' % (anchor, inline_html(ctx, e, data)))
            else:
                L.append('<h2>%s</h2>' % inline_html(ctx, e, data))
        elif kind == 'h3':
            L.append('<h3>%s</h3>' % inline_html(ctx, e, data))
        elif kind == 'p':
            L.append('<p align="justify">%s</p>' % inline_html(ctx, e, data))
        elif kind == 'quote':
            L.append('<blockquote><p class="quote">%s</p></blockquote>' % inline_html(ctx, e, data))
        elif kind == 'list':
            L.append('<ul>')
            for item in data:
                L.append('<li>%s</li>' % inline_html(ctx, e, item))
            L.append('</ul>')
        elif kind == 'pic':
            name, caption, big = data
            w, h = picture_size(name)
            img = '<img src="../../pictures/%s" width="%d" height="%d" border="0" alt="%s">' % (
                name, w, h, html_escape(inline_plain(caption)))
            if big:
                img = '<a href="../../pictures/%s">%s</a>' % (big, img)
            L.append('<table class="figure" align="center" border="0" cellpadding="6" cellspacing="0">')
            L.append('<tr><td align="center">%s</td></tr>' % img)
            if caption:
                L.append('<tr><td class="caption" align="center">%s</td></tr>' % inline_html(ctx, e, caption))
            L.append('</table>')
        elif kind == 'table':
            caption, rows = data
            # A paragraph, not <caption>: the reader's HTML view does not know that element.
            if caption:
                L.append('<p class="tablecap" align="center">%s</p>' % inline_html(ctx, e, caption))
            L.append('<table class="data" align="center" width="90%" border="1" cellpadding="5" cellspacing="0">')
            for i, row in enumerate(rows):
                if i == 0:
                    L.append('<tr bgcolor="#e9dcbc">' + ''.join(
                        '<th>%s</th>' % inline_html(ctx, e, c) for c in row) + '</tr>')
                else:
                    bg = ' bgcolor="#f6eedb"' if i % 2 == 0 else ''
                    L.append('<tr%s>' % bg + ''.join(
                        '<td>%s</td>' % inline_html(ctx, e, c) for c in row) + '</tr>')
            L.append('</table>')
    L.append('<hr width="50%" align="center">')
    nav = []
    if prev:
        nav.append('<a href="%s">&laquo;&nbsp;%s</a>' % (html_escape(ctx.rel(e.folder, prev.key)),
                                                         html_escape(prev.caption)))
    nav.append('<a href="#top">В начало</a>')
    if nxt:
        nav.append('<a href="%s">%s&nbsp;&raquo;</a>' % (html_escape(ctx.rel(e.folder, nxt.key)),
                                                         html_escape(nxt.caption)))
    L.append('<p class="nav" align="center">%s</p>' % ' &nbsp;|&nbsp; '.join(nav))
    L.append('</body>')
    L.append('</html>')
    return '\r\n'.join(L) + '\r\n'


# ------------------------------------------------------------------ RTF

def rtf_escape(s):
    out = []
    for ch in s:
        if ch in '\\{}':
            out.append('\\' + ch)
        elif ch == '\u00a0':
            out.append('\\~')
        elif ord(ch) < 128:
            out.append(ch)
        else:
            try:
                b = ch.encode('cp1251')
                out.append("\\'%02x" % b[0])
            except UnicodeEncodeError:
                code = ord(ch)
                if code > 32767:
                    code -= 65536
                out.append('\\u%d?' % code)
    return ''.join(out)


def rtf_inline(text):
    out = []
    pos = 0
    for m in INLINE.finditer(text):
        out.append(rtf_escape(text[pos:m.start()].replace('~', '\u00a0')))
        if m.group(1):
            out.append(rtf_escape(m.group(1).replace('~', '\u00a0')))
        elif m.group(3):
            out.append('{\\b %s}' % rtf_escape(m.group(3).replace('~', '\u00a0')))
        else:
            out.append('{\\i %s}' % rtf_escape(m.group(4).replace('~', '\u00a0')))
        pos = m.end()
    out.append(rtf_escape(text[pos:].replace('~', '\u00a0')))
    return ''.join(out)


def hexlines(data, width=64):
    h = data.hex()
    return '\r\n'.join(h[i:i + 2 * width] for i in range(0, len(h), 2 * width))


def essay_rtf(e):
    R = []
    R.append('{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049')
    R.append('{\\fonttbl{\\f0\\froman\\fcharset204\\fprq2 Times New Roman;}'
             '{\\f1\\fswiss\\fcharset204\\fprq2 Arial;}}')
    R.append('{\\colortbl;\\red107\\green43\\blue18;\\red110\\green84\\blue55;\\red233\\green220\\blue188;}')
    R.append('{\\stylesheet{\\s0\\f0\\fs24\\lang1049 Normal;}'
             '{\\s1\\sb240\\sa240\\qc\\keepn\\outlinelevel0\\f0\\fs36\\b\\cf1 heading 1;}'
             '{\\s2\\sb300\\sa120\\keepn\\outlinelevel1\\f0\\fs28\\b\\cf1 heading 2;}'
             '{\\s3\\sb200\\sa80\\keepn\\outlinelevel2\\f0\\fs26\\b\\i\\cf2 heading 3;}}')
    R.append('{\\info{\\title %s}{\\subject %s}}' % (rtf_escape(e.title), rtf_escape(COLLECTION)))
    R.append('\\paperw11906\\paperh16838\\margl1701\\margr1134\\margt1134\\margb1134')
    R.append('\\pard\\plain\\qr\\sa240\\f0\\fs18\\cf2 %s\\par' % rtf_escape(
        COLLECTION + ' \u2014 ' + ' / '.join(e.trail)))
    R.append('\\pard\\plain\\s1\\sb240\\sa240\\qc\\keepn\\outlinelevel0\\f0\\fs36\\b\\cf1 %s\\par'
             % rtf_escape(e.title))
    body = '\\pard\\plain\\s0\\fi567\\sa120\\sl360\\slmult1\\qj\\f0\\fs24 '
    for kind, anchor, data in e.blocks:
        if kind == 'lead':
            R.append('\\pard\\plain\\s0\\sa200\\sl360\\slmult1\\qj\\f0\\fs24\\i\\cf2 %s\\par' % rtf_inline(data))
        elif kind == 'h2':
            R.append('\\pard\\plain\\s2\\sb300\\sa120\\keepn\\outlinelevel1\\f0\\fs28\\b\\cf1 %s\\par'
                     % rtf_inline(data))
        elif kind == 'h3':
            R.append('\\pard\\plain\\s3\\sb200\\sa80\\keepn\\outlinelevel2\\f0\\fs26\\b\\i\\cf2 %s\\par'
                     % rtf_inline(data))
        elif kind == 'p':
            R.append(body + rtf_inline(data) + '\\par')
        elif kind == 'quote':
            R.append('\\pard\\plain\\s0\\li851\\ri567\\sa120\\sl360\\slmult1\\f0\\fs24\\i %s\\par' % rtf_inline(data))
        elif kind == 'list':
            for item in data:
                R.append('\\pard\\plain\\s0\\fi-283\\li851\\sa60\\f0\\fs24 \\bullet\\tab %s\\par' % rtf_inline(item))
        elif kind == 'pic':
            name, caption, _big = data
            w, h = picture_size(name)
            blip, raw = picture_for_rtf(name)
            scale = min(1.0, 560.0 / w)            # fit into the text width
            R.append('\\pard\\plain\\qc\\sb120\\sa60\\keepn\\f0\\fs24 '
                     '{\\pict\\%s\\picw%d\\pich%d\\picwgoal%d\\pichgoal%d\r\n%s}\\par'
                     % (blip, w, h, int(w * 15 * scale), int(h * 15 * scale), hexlines(raw)))
            if caption:
                R.append('\\pard\\plain\\qc\\sa200\\f0\\fs20\\i\\cf2 %s\\par' % rtf_inline(caption))
        elif kind == 'table':
            caption, rows = data
            if caption:
                R.append('\\pard\\plain\\qc\\sb120\\sa80\\keepn\\f0\\fs22\\b\\cf1 %s\\par' % rtf_inline(caption))
            ncol = max(len(r) for r in rows)
            width = 9000 // ncol
            for i, row in enumerate(rows):
                line = ['\\trowd\\trgaph80\\trleft0\\trqc']
                for c in range(ncol):
                    shade = '\\clcbpat3' if i == 0 else ''
                    line.append('\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10'
                                '\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10%s\\cellx%d'
                                % (shade, width * (c + 1)))
                cells = []
                for c in range(ncol):
                    t = rtf_inline(row[c]) if c < len(row) else ''
                    if i == 0:
                        t = '\\qc\\b ' + t
                    cells.append('\\pard\\intbl\\f0\\fs22 %s\\cell' % t)
                R.append(''.join(line))
                R.append(''.join(cells) + '\\row')
            R.append('\\pard\\plain\\sa120\\f0\\fs24\\par')
    R.append('\\pard\\plain\\qc\\sb360\\f0\\fs20\\cf2 * * *\\par')
    R.append('\\pard\\plain\\qc\\f0\\fs20\\i\\cf2 %s\\par' % rtf_escape(
        'Из сборника \u00ab' + COLLECTION + '\u00bb. ' + COLLECTION_SUB + '.'))
    R.append('}')
    return '\r\n'.join(R) + '\r\n'


# ------------------------------------------------------------------ trees

def alpha_key(s):
    s = s.lower().replace('ё', 'е\uffff')
    return [c for c in s if c.isalnum() or c == ' ']


def century(year):
    roman = {14: 'XIV', 15: 'XV', 16: 'XVI', 17: 'XVII', 18: 'XVIII', 19: 'XIX', 20: 'XX', 21: 'XXI'}
    return roman[(year - 1) // 100 + 1]


def write_cp1251(path, text):
    with open(path, 'wb') as f:
        f.write(text.encode('cp1251'))


def tree_line(level, doc, caption):
    if ';' in caption:
        sys.exit('caption %r contains ";"' % caption)
    return '\t' * level + (doc or '') + ';' + caption


# ------------------------------------------------------------------ main

def main():
    outline = read_outline()
    if '--partial' in sys.argv:     # while writing: leave out essays not written yet
        outline = [o for o in outline if o[1] is None or os.path.exists(os.path.join(SRC, o[1] + '.txt'))]
    keys = [k for _, k, _ in outline if k]
    if len(set(keys)) != len(keys):
        sys.exit('outline.txt names an essay twice')
    essays = {k: read_essay(k) for k in keys}
    for root, _dirs, files in os.walk(SRC):
        for fn in files:
            if fn.endswith('.txt') and fn != 'outline.txt':
                k = os.path.relpath(os.path.join(root, fn), SRC)[:-4].replace(os.sep, '/')
                if k not in essays:
                    sys.exit('essay %s is not in outline.txt' % k)

    # Section captions above every essay.
    stack = []
    for level, key, heading in outline:
        del stack[level:]
        if heading is not None:
            stack.append(heading)
        else:
            essays[key].trail = list(stack)

    ctx = Context(essays)
    order = [essays[k] for k in keys]

    # Remove earlier output of essays no longer in the outline.
    out_root = os.path.join(DEMO, 'essays')
    wanted = set()
    for e in order:
        wanted.add(os.path.join(out_root, e.folder, e.name + '.htm'))
        if e.doc:
            wanted.add(os.path.join(out_root, e.folder, e.name + '.doc'))
    for root, _dirs, files in os.walk(out_root):
        for fn in files:
            p = os.path.join(root, fn)
            if p not in wanted:
                os.remove(p)

    words = {}
    for i, e in enumerate(order):
        prev = order[i - 1] if i > 0 else None
        nxt = order[i + 1] if i + 1 < len(order) else None
        os.makedirs(os.path.join(out_root, e.folder), exist_ok=True)
        write_cp1251(os.path.join(out_root, e.folder, e.name + '.htm'), essay_html(ctx, e, prev, nxt))
        if e.doc:
            write_cp1251(os.path.join(out_root, e.folder, e.name + '.doc'), essay_rtf(e))
        text = []
        for kind, _a, data in e.blocks:
            if kind in ('p', 'lead', 'quote', 'h2', 'h3'):
                text.append(inline_plain(data))
            elif kind == 'list':
                text += [inline_plain(x) for x in data]
        words[e.key] = len(re.findall(r'\w+', ' '.join(text)))

    # tree2.txt: the outline, document first and caption second.
    lines = []
    for level, key, heading in outline:
        if heading is not None:
            lines.append(tree_line(level, '', heading))
        else:
            lines.append(tree_line(level, essays[key].archive_name, essays[key].caption))
    write_cp1251(os.path.join(DEMO, 'tree2.txt'), '\r\n'.join(lines) + '\r\n')

    # tree_alpha.txt: by caption, under letter headings.
    lines = [tree_line(0, e.archive_name, e.caption)
             for e in sorted((e for e in order if e.year == 'top'), key=lambda e: e.order)]
    letter = None
    for e in sorted((e for e in order if e.year != 'top'), key=lambda e: alpha_key(e.caption)):
        first = e.caption[0].upper().replace('Ё', 'Е')
        if first != letter:
            letter = first
            lines.append(tree_line(0, '', letter))
        lines.append(tree_line(1, e.archive_name, e.caption))
    write_cp1251(os.path.join(DEMO, 'tree_alpha.txt'), '\r\n'.join(lines) + '\r\n')

    # tree_time.txt: by the date of the subject, under headings of centuries.
    lines = []
    for e in sorted((e for e in order if e.year == 'top'), key=lambda e: e.order):
        lines.append(tree_line(0, e.archive_name, e.caption))
    ageless = sorted((e for e in order if e.year is None), key=lambda e: e.order)
    dated = sorted((e for e in order if isinstance(e.year, int)), key=lambda e: (e.year, e.order))
    # What has always been: nature (order below 10) first, then customs, crafts and tales.
    for heading, group in (('Испокон веку: земля и воды', [e for e in ageless if e.order < 10]),
                           ('Испокон веку: обычаи, ремёсла и предания', [e for e in ageless if e.order >= 10])):
        if group:
            lines.append(tree_line(0, '', heading))
            for e in group:
                lines.append(tree_line(1, e.archive_name, e.caption))
    cent = None
    for e in dated:
        c = century(e.year)
        if c != cent:
            cent = c
            lines.append(tree_line(0, '', '%s век' % c))
        lines.append(tree_line(1, e.archive_name, '%d. %s' % (e.year, e.caption)))
    write_cp1251(os.path.join(DEMO, 'tree_time.txt'), '\r\n'.join(lines) + '\r\n')

    # file.ind: in the order of tree2.txt.
    write_cp1251(os.path.join(DEMO, 'file.ind'),
                 ''.join('%s#;#%s\r\n' % (e.archive_name, e.title) for e in order))

    total = sum(words.values())
    short = {k: n for k, n in words.items() if n < 300 or n > 900}
    print('%d essays, %d words (%d to %d), %d without .doc' % (
        len(order), total, min(words.values()), max(words.values()),
        sum(1 for e in order if not e.doc)))
    for k, n in sorted(short.items()):
        print('  outside 300..900 words: %s (%d)' % (k, n))


if __name__ == '__main__':
    main()
