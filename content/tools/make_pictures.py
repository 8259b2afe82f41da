#!/usr/bin/env python3
"""Draws the pictures of the demo disc with ImageMagick (convert).

Writes into content/demo/pictures/. Everything is drawn from scratch: gradients,
simple shapes and patterns; random details use fixed seeds, so every run gives
the same pictures.

Run:  python3 content/tools/make_pictures.py
"""

import math
import os
import random
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.normpath(os.path.join(HERE, '..', 'demo', 'pictures'))
FONTS = '/usr/share/fonts/opentype/urw-base35/'
SERIF = FONTS + 'P052-Roman.otf'
SERIF_I = FONTS + 'P052-Italic.otf'
SERIF_B = FONTS + 'P052-Bold.otf'
SERIF_BI = FONTS + 'P052-BoldItalic.otf'
TMP = tempfile.mkdtemp(prefix='pictures-')


def out(name):
    return os.path.join(OUT, name)


def tmp(name):
    return os.path.join(TMP, name)


def convert(*args):
    args = [str(a) for a in args]
    if OUT in args[-1]:
        # No time stamps or other metadata in the pictures: the same run gives the same bytes.
        args = args[:-1] + ['-strip', '-define', 'png:exclude-chunks=date,time', args[-1]]
    subprocess.check_call(['convert'] + args)


def mvg(name, lines):
    """The drawing as one -draw argument (reading it from a file is not allowed
    by the usual ImageMagick security policy). A copy is kept for debugging."""
    # Round joins: the miter joins of ImageMagick 6 draw stray chords on wide strokes.
    text = '\n'.join(['stroke-linejoin round'] + lines) + '\n'
    with open(tmp(name + '.mvg'), 'w', encoding='utf-8') as f:
        f.write(text)
    return text


def pts(points):
    return ' '.join('%.1f,%.1f' % p for p in points)


# ------------------------------------------------------------------ shapes

def fir(x, base, h, colour, snow=None):
    """A fir tree: a stack of three triangles."""
    w = h * 0.42
    L = ['fill %s' % colour, 'stroke none']
    for i in range(3):
        top = base - h + i * h * 0.22
        bot = base - h * 0.12 - (2 - i) * h * 0.2
        half = w * (0.45 + i * 0.28) / 1.0
        L.append('polygon %s' % pts([(x, top), (x - half, bot), (x + half, bot)]))
    L.append('rectangle %.1f,%.1f %.1f,%.1f' % (x - h * 0.03, base - h * 0.13, x + h * 0.03, base))
    if snow:
        L.append('fill %s' % snow)
        for i in range(3):
            top = base - h + i * h * 0.22
            bot = base - h * 0.12 - (2 - i) * h * 0.2
            half = w * (0.45 + i * 0.28)
            y = top + (bot - top) * 0.35
            L.append('polygon %s' % pts([(x, top), (x - half * 0.35, y), (x + half * 0.35, y)]))
    return L


def forest(rng, width, base, hmin, hmax, colour, step=(6, 14), snow=None):
    L = []
    x = -5
    while x < width + 10:
        h = rng.uniform(hmin, hmax)
        L += fir(x, base + rng.uniform(-2, 3), h, colour, snow)
        x += rng.uniform(*step)
    return L


def wave_path(y, width, amp, period, phase=0.0, step=4):
    p = []
    x = 0
    while x <= width:
        p.append((x, y + amp * math.sin((x / period) * 2 * math.pi + phase)))
        x += step
    return p


def sky(name, w, h, top, bottom):
    convert('-size', '%dx%d' % (w, h), 'gradient:%s-%s' % (top, bottom), tmp(name))
    return tmp(name)


# ------------------------------------------------------------------ pictures

def splash():
    w, h = 480, 300
    rng = random.Random(7)
    base = sky('splash_sky.png', w, h, '#1d2b53', '#f0a860')
    L = ['viewbox 0 0 %d %d' % (w, h)]
    # sun low over the horizon
    L += ['fill #ffe2a8', 'fill-opacity 0.35', 'circle 330,196 330,168', 'fill-opacity 1',
          'fill #ffd89a', 'circle 330,196 330,180']
    # far hills
    L += ['fill #4a4f6e', 'polygon %s' % pts([(0, 214)] + [(x, 206 - 10 * math.sin(x / 60.0) - 6 * math.sin(x / 23.0)) for x in range(0, w + 1, 8)] + [(w, 214)])]
    L += forest(rng, w, 216, 18, 34, '#1f2233', (5, 11))
    # water
    L += ['fill #2a3558', 'rectangle 0,214 %d,%d' % (w, h)]
    for i in range(14):
        y = 220 + i * 6
        x0 = 330 - 60 + i * 2
        L += ['stroke #f4c488', 'stroke-width 1.4', 'stroke-opacity %.2f' % (0.9 - i * 0.05),
              'line %d,%d %d,%d' % (x0 + rng.randint(-8, 8), y, 330 + 60 - i * 2 + rng.randint(-8, 8), y)]
    L += ['stroke-opacity 1', 'stroke none']
    # a boat
    L += ['fill #141622', 'polygon 120,246 170,246 162,254 128,254', 'rectangle 144,214 146,246',
          'polygon 146,216 146,243 166,243']
    title = ['-gravity', 'north', '-font', SERIF_BI, '-pointsize', 44, '-annotate', '+0+34', 'Полуночный край',
             '-font', SERIF_I, '-pointsize', 17, '-annotate', '+0+92',
             'очерки о реках, городах и ремёслах северной земли']
    convert('-size', '%dx%d' % (w, h), 'xc:none', '-fill', '#0b1230', *title, '-blur', '0x3', tmp('splash_shadow.png'))
    convert(base, '-draw', mvg('splash', L), tmp('splash_shadow.png'), '-compose', 'over', '-composite',
            '-font', SERIF_BI, '-pointsize', 44, '-fill', '#fff3dc', '-gravity', 'north',
            '-annotate', '+0+34', 'Полуночный край',
            '-font', SERIF_I, '-pointsize', 17, '-fill', '#f3dcb6',
            '-annotate', '+0+92', 'очерки о реках, городах и ремёслах северной земли',
            '-quality', 90, out('splash.jpg'))


def studena():
    w, h = 400, 250
    rng = random.Random(11)
    base = sky('studena_sky.png', w, h, '#7fb0de', '#e9f1f4')
    L = ['viewbox 0 0 %d %d' % (w, h)]
    # clouds
    L += ['fill #ffffff', 'fill-opacity 0.8']
    for cx, cy, s in ((70, 40, 1.0), (250, 28, 0.8), (330, 60, 0.6)):
        for dx, dy, r in ((0, 0, 16), (18, -6, 20), (38, 0, 15), (20, 6, 16)):
            L.append('circle %.1f,%.1f %.1f,%.1f' % (cx + dx * s, cy + dy * s, cx + dx * s + r * s, cy + dy * s))
    L += ['fill-opacity 1']
    # far bank
    L += ['fill #8aa0a8', 'polygon %s' % pts([(0, 130)] + [(x, 118 - 8 * math.sin(x / 50.0)) for x in range(0, w + 1, 10)] + [(w, 130)])]
    L += forest(rng, w, 132, 12, 22, '#3d5f4a', (4, 8))
    # river
    L += ['fill #4f7fa6', 'rectangle 0,130 %d,%d' % (w, h)]
    L += ['fill #6f9cc0', 'polygon %s' % pts([(0, 150), (w, 140), (w, 175), (0, 190)])]
    for i in range(40):
        x = rng.uniform(0, w)
        y = rng.uniform(138, 210)
        L += ['stroke #d8e8f2', 'stroke-width 1', 'line %.1f,%.1f %.1f,%.1f' % (x, y, x + rng.uniform(8, 22), y)]
    L += ['stroke none']
    # near bank with sand and grass
    L += ['fill #d9c28c', 'polygon %s' % pts([(0, 200), (120, 212), (260, 232), (w, 238), (w, h), (0, h)])]
    L += ['fill #6d8b3c', 'polygon %s' % pts([(0, 214), (90, 224), (200, 244), (260, h), (0, h)])]
    L += forest(rng, 70, 250, 50, 80, '#254431', (14, 22))
    convert(base, '-draw', mvg('studena', L), '-quality', 88, out('studena.jpg'))


def svetloe():
    w, h = 400, 250
    rng = random.Random(5)
    base = sky('svetloe_sky.png', w, 130, '#6c6aa6', '#f6c3a0')
    water = sky('svetloe_water.png', w, 120, '#e8b49c', '#58608f')
    convert(base, water, '-append', tmp('svetloe_bg.png'))
    L = ['viewbox 0 0 %d %d' % (w, h)]
    L += ['fill #fff0c8', 'circle 110,118 110,106']
    # reflection of the sun
    for i in range(10):
        y = 134 + i * 8
        L += ['stroke #fff0c8', 'stroke-opacity %.2f' % (0.8 - i * 0.06), 'stroke-width 2',
              'line %d,%d %d,%d' % (96 + i, y, 124 - i, y)]
    L += ['stroke-opacity 1', 'stroke none']
    # island with a church
    L += ['fill #2c2a44', 'ellipse 290,130 80,9 180,360']
    L += forest(rng, 0, 0, 0, 0, '#000000')  # nothing, keeps the seed sequence stable
    for x in (222, 234, 246, 340, 352, 362):
        L += fir(x, 130, rng.uniform(16, 26), '#2c2a44')
    L += ['fill #2c2a44',
          'rectangle 276,100 304,130',                      # log body
          'polygon 272,100 290,58 308,100',                 # tent roof
          'rectangle 288,44 292,60', 'ellipse 290,44 6,7 0,360', 'rectangle 289,28 291,38',
          'rectangle 318,92 330,130', 'polygon 316,92 324,70 332,92']   # bell tower
    # the reflection of the island, faint
    L += ['fill #3e3f66', 'fill-opacity 0.6', 'ellipse 290,134 80,6 0,180',
          'polygon 276,134 304,134 300,160 280,160', 'fill-opacity 1']
    # ripples
    for i in range(30):
        x = rng.uniform(0, w)
        y = rng.uniform(140, 245)
        L += ['stroke #f3d2bc', 'stroke-opacity 0.5', 'stroke-width 1', 'line %.1f,%.1f %.1f,%.1f' % (x, y, x + rng.uniform(6, 18), y)]
    convert(tmp('svetloe_bg.png'), '-draw', mvg('svetloe', L), '-quality', 88, out('svetloe.jpg'))


def zimnik():
    w, h = 400, 250
    rng = random.Random(3)
    base = sky('zimnik_sky.png', w, h, '#9fb4cf', '#f3f0ea')
    L = ['viewbox 0 0 %d %d' % (w, h)]
    L += ['fill #dde6ef', 'polygon %s' % pts([(0, 140)] + [(x, 128 - 6 * math.sin(x / 40.0)) for x in range(0, w + 1, 10)] + [(w, 140)])]
    L += forest(rng, w, 142, 14, 26, '#4b5f6a', (4, 9), snow='#f4f7fa')
    L += ['fill #f7f8fb', 'rectangle 0,140 %d,%d' % (w, h)]
    # the road: two tracks curving to the horizon
    for off in (-10, 10):
        path = []
        for i in range(0, 41):
            t = i / 40.0
            y = 142 + t * t * 110
            x = 230 + math.sin(t * 2.6) * 60 * (1 - t) - 120 * t + off * (0.15 + t)
            path.append((x, y))
        L += ['stroke #b9c2cf', 'stroke-width 3', 'fill none', 'path "M %s"' % pts(path)]
    # mile posts along the road
    L += ['stroke none']
    for i, t in enumerate((0.25, 0.45, 0.65, 0.85)):
        y = 142 + t * t * 110
        x = 230 + math.sin(t * 2.6) * 60 * (1 - t) - 120 * t + 40 * (0.2 + t)
        hh = 8 + 30 * t
        L += ['fill #3b3b3b', 'rectangle %.1f,%.1f %.1f,%.1f' % (x, y - hh, x + 1 + 2 * t, y)]
        L += ['fill #b23a2a', 'rectangle %.1f,%.1f %.1f,%.1f' % (x, y - hh, x + 1 + 2 * t, y - hh * 0.8)]
    # a horse sledge far away
    L += ['fill #3a2a20', 'rectangle 214,150 226,154', 'ellipse 208,149 5,3 0,360',
          'rectangle 204,149 206,155', 'rectangle 210,149 212,155', 'rectangle 212,145 214,149']
    L += forest(rng, 60, 252, 60, 95, '#2f4a46', (16, 24), snow='#f4f7fa')
    convert(base, '-draw', mvg('zimnik', L), '(', '-size', '%dx%d' % (w, h), 'xc:none', '-seed', '9',
            '+noise', 'Random', '-channel', 'A', '-threshold', '99.6%', '+channel', '-fill', 'white', '-colorize', '100%', ')',
            '-compose', 'over', '-composite', '-quality', 88, out('zimnik.jpg'))


def nebo():
    w, h = 360, 240
    rng = random.Random(17)
    base = sky('nebo_sky.png', w, h, '#040814', '#17304a')
    # stars
    L = ['viewbox 0 0 %d %d' % (w, h), 'fill #ffffff']
    for i in range(90):
        x, y = rng.uniform(0, w), rng.uniform(0, 170)
        r = rng.choice((0.5, 0.7, 0.9, 1.2))
        L.append('circle %.1f,%.1f %.1f,%.1f' % (x, y, x + r, y))
    convert(base, '-draw', mvg('nebo_stars', L), tmp('nebo_a.png'))
    # aurora curtains on their own layer, blurred
    A = ['viewbox 0 0 %d %d' % (w, h), 'fill none']
    for k, (col, y0, amp) in enumerate((('#3cf08c', 70, 22), ('#7df0c8', 95, 16), ('#b05cf0', 50, 12))):
        A += ['stroke %s' % col, 'stroke-width %d' % (10 - k * 3), 'stroke-opacity 0.85',
              'path "M %s"' % pts([(x, y0 + amp * math.sin(x / 47.0 + k) + 8 * math.sin(x / 13.0)) for x in range(-10, w + 10, 4)])]
        for x in range(0, w, 3):
            y = y0 + amp * math.sin(x / 47.0 + k) + 8 * math.sin(x / 13.0)
            A += ['stroke-width 1', 'stroke-opacity %.2f' % (0.25 + 0.2 * math.sin(x / 9.0 + k) ** 2),
                  'line %d,%.1f %d,%.1f' % (x, y - rng.uniform(20, 55), x, y)]
    convert('-size', '%dx%d' % (w, h), 'xc:none', '-draw', mvg('nebo_aurora', A), '-blur', '0x4', tmp('nebo_b.png'))
    G = ['viewbox 0 0 %d %d' % (w, h)]
    G += ['fill #0c1520', 'polygon %s' % pts([(0, 205), (w, 198), (w, h), (0, h)])]
    G += forest(rng, w, 206, 20, 42, '#05090f', (5, 12))
    G += ['fill #e8eef5', 'fill-opacity 0.15', 'rectangle 0,206 %d,%d' % (w, h)]
    convert(tmp('nebo_a.png'), tmp('nebo_b.png'), '-compose', 'screen', '-composite',
            '-draw', mvg('nebo_ground', G), '-quality', 88, out('nebo.jpg'))


def ladya():
    w, h = 320, 200
    L = ['viewbox 0 0 %d %d' % (w, h)]
    L += ['fill #cfe3ee', 'rectangle 0,0 %d,%d' % (w, h)]
    L += ['fill #f2e6c4', 'circle 262,44 262,26']
    # hull
    L += ['fill #6b3e20', 'stroke #3e220f', 'stroke-width 2',
          'path "M 52,128 L 268,128 Q 258,156 226,160 L 92,160 Q 62,154 52,128 Z"']
    L += ['stroke #a86b3a', 'stroke-width 2', 'line 60,138 262,138', 'line 72,148 250,148']
    # mast and sails
    L += ['stroke #3e220f', 'stroke-width 4', 'line 160,128 160,26', 'stroke-width 2', 'line 160,30 226,128']
    L += ['stroke #7a5a3a', 'stroke-width 1.5', 'fill #efe4cc',
          'path "M 164,34 Q 200,60 206,116 L 164,116 Z"',
          'fill #d8c7a4', 'path "M 156,40 Q 120,72 112,118 L 156,118 Z"']
    L += ['fill #b4322a', 'stroke none', 'polygon 160,22 178,27 160,32']
    # bow and stern posts
    L += ['stroke #3e220f', 'stroke-width 3', 'fill none', 'path "M 268,128 Q 278,112 276,100"',
          'path "M 52,128 Q 44,116 48,106"']
    # waves
    for i, (col, y) in enumerate((('#5b8fb0', 156), ('#3f7598', 170), ('#2d5f82', 184))):
        p = wave_path(y, w, 4, 40, i)
        L += ['stroke none', 'fill %s' % col, 'polygon %s' % pts(p + [(w, h), (0, h)])]
    # birds
    L += ['stroke #3b4650', 'stroke-width 1.5', 'fill none',
          'path "M 60,40 Q 66,34 72,40 Q 78,34 84,40"', 'path "M 92,58 Q 96,54 100,58 Q 104,54 108,58"']
    convert('-size', '%dx%d' % (w, h), 'xc:white', '-draw', mvg('ladya', L), '+dither', '-colors', 32, out('ladya.gif'))


def vyshivka():
    """A cross-stitch border: a small pixel pattern enlarged, each stitch a cross."""
    motif = [
        "....R.......R....",
        "...RRR.....RRR...",
        "..R.R.R...R.R.R..",
        ".R..R..R.R..R..R.",
        "RRRRRRRRRRRRRRRRR",
        ".R..R..R.R..R..R.",
        "..R.R.R...R.R.R..",
        "...RRR.....RRR...",
        "....R.......R....",
    ]
    band = ["B" * 17, "." * 17]
    rows = band + ["." * 17] + motif + ["." * 17] + band[::-1]
    cell = 6
    reps = 3
    w = 17 * reps * cell
    h = len(rows) * cell
    L = ['viewbox 0 0 %d %d' % (w, h), 'stroke-width 1.6']
    for r, row in enumerate(rows):
        for rep in range(reps):
            for c, ch in enumerate(row):
                if ch == '.':
                    continue
                col = '#b3201c' if ch == 'R' else '#2a2a2a'
                x = (rep * 17 + c) * cell
                y = r * cell
                L += ['stroke %s' % col, 'line %d,%d %d,%d' % (x + 1, y + 1, x + cell - 1, y + cell - 1),
                      'line %d,%d %d,%d' % (x + cell - 1, y + 1, x + 1, y + cell - 1)]
    convert('-size', '%dx%d' % (w, h), 'xc:#f4efe2', '-draw', mvg('vyshivka', L),
            '-bordercolor', '#f4efe2', '-border', 12, '+dither', '-colors', 16, out('vyshivka.gif'))


def kruzhevo():
    s = 240
    c = s / 2
    L = ['viewbox 0 0 %d %d' % (s, s), 'fill none', 'stroke #fbf7ee', 'stroke-width 1.6']
    for r in (18, 46, 92, 110):
        L.append('circle %.1f,%.1f %.1f,%.1f' % (c, c, c + r, c))
    for k in range(12):
        a = k * math.pi / 6
        # petals
        x1, y1 = c + 20 * math.cos(a), c + 20 * math.sin(a)
        x2, y2 = c + 90 * math.cos(a), c + 90 * math.sin(a)
        xa, ya = c + 58 * math.cos(a + 0.28), c + 58 * math.sin(a + 0.28)
        xb, yb = c + 58 * math.cos(a - 0.28), c + 58 * math.sin(a - 0.28)
        L.append('path "M %.1f,%.1f Q %.1f,%.1f %.1f,%.1f Q %.1f,%.1f %.1f,%.1f"' % (x1, y1, xa, ya, x2, y2, xb, yb, x1, y1))
        L.append('line %.1f,%.1f %.1f,%.1f' % (x1, y1, x2, y2))
        # little rings on the outer band
        for d in (0.0, math.pi / 12):
            xr, yr = c + 101 * math.cos(a + d), c + 101 * math.sin(a + d)
            L.append('circle %.1f,%.1f %.1f,%.1f' % (xr, yr, xr + 5, yr))
    # a net between the petals
    for k in range(24):
        a = k * math.pi / 12
        for r in range(30, 88, 12):
            x, y = c + r * math.cos(a + math.pi / 24), c + r * math.sin(a + math.pi / 24)
            L.append('circle %.1f,%.1f %.1f,%.1f' % (x, y, x + 1.2, y))
    # corners
    for cx, cy in ((0, 0), (s, 0), (0, s), (s, s)):
        for r in (14, 24):
            L.append('circle %d,%d %d,%d' % (cx, cy, cx + r, cy))
    convert('-size', '%dx%d' % (s, s), 'xc:#2a4466', '-draw', mvg('kruzhevo', L), '+dither', '-colors', 16, out('kruzhevo.gif'))


# The map: coordinates on a 520 x 400 sheet, north at the top.
RIVERS = {
    'Студёна': [(70, 345), (90, 332), (112, 324), (128, 302), (150, 292), (164, 268), (160, 248),
                (180, 228), (214, 214), (240, 212), (260, 194), (270, 172), (296, 160), (316, 142),
                (340, 138), (362, 120), (390, 110), (410, 92), (436, 80), (462, 58)],
    'Ярога': [(118, 120), (134, 132), (140, 138), (156, 160), (176, 168), (194, 192), (214, 214)],
    'Мезьма': [(444, 312), (414, 296), (396, 270), (372, 262), (350, 238), (328, 226), (314, 200),
               (292, 188), (270, 172)],
    'Кемжа': [(298, 64), (312, 84), (324, 106), (322, 126), (316, 142)],
}


def smooth(points, n=8):
    """Catmull-Rom through the points."""
    res = []
    P = [points[0]] + points + [points[-1]]
    for i in range(1, len(P) - 2):
        p0, p1, p2, p3 = P[i - 1], P[i], P[i + 1], P[i + 2]
        for k in range(n):
            t = k / float(n)
            t2, t3 = t * t, t * t * t
            res.append(tuple(0.5 * ((2 * p1[j]) + (-p0[j] + p2[j]) * t + (2 * p0[j] - 5 * p1[j] + 4 * p2[j] - p3[j]) * t2
                                    + (-p0[j] + 3 * p1[j] - 3 * p2[j] + p3[j]) * t3) for j in (0, 1)))
    res.append(points[-1])
    return res


def karta(scale, name):
    W, H = 520, 400
    S = scale
    rng = random.Random(23)

    def sc(p):
        return (p[0] * S, p[1] * S)

    L = ['viewbox 0 0 %d %d' % (W * S, H * S)]
    # sea in the north-east
    sea = [(250, 0), (300, 20), (360, 30), (420, 44), (470, 40), (520, 60), (520, 0)]
    L += ['fill #b9d3dc', 'stroke #6d93a3', 'stroke-width %.1f' % (1.2 * S),
          'polygon %s' % pts([sc(p) for p in smooth(sea[:-1], 6)] + [sc((520, 0))])]
    for i in range(5):
        L += ['stroke #8fb3c2', 'stroke-width %.1f' % S, 'fill none',
              'path "M %s"' % pts([sc((x, 14 + i * 6 + 3 * math.sin(x / 9.0) + (x - 300) * 0.12)) for x in range(330 + i * 20, 520, 6)])]
    # marshes between the rivers
    L += ['stroke #7f9a6a', 'stroke-width %.1f' % S]
    for i in range(40):
        x, y = rng.uniform(220, 340), rng.uniform(228, 298)
        if (x - 280) ** 2 / 55.0 ** 2 + (y - 264) ** 2 / 30.0 ** 2 > 1:
            continue
        L += ['line %.1f,%.1f %.1f,%.1f' % (x * S, y * S, (x + 10) * S, y * S),
              'line %.1f,%.1f %.1f,%.1f' % ((x + 3) * S, (y - 4) * S, (x + 3) * S, y * S),
              'line %.1f,%.1f %.1f,%.1f' % ((x + 7) * S, (y - 4) * S, (x + 7) * S, y * S)]
    # the stony ridge in the west
    L += ['stroke #8a6a48', 'stroke-width %.1f' % (1.3 * S), 'fill none']
    for x, y in ((60, 90), (82, 80), (104, 96), (70, 116), (96, 120), (50, 140)):
        L += ['path "M %s"' % pts([sc((x - 10, y + 6)), sc((x, y - 6)), sc((x + 10, y + 6))])]
    # forests: little fir signs
    L += ['fill #6f8f62', 'stroke none']
    for i in range(140):
        x, y = rng.uniform(20, 500), rng.uniform(60, 390)
        if y < 40 + (x - 240) * 0.18:
            continue
        if any(math.hypot(x - px, y - py) < 14 for r in RIVERS.values() for px, py in smooth(r, 3)):
            continue
        if (x - 280) ** 2 / 62.0 ** 2 + (y - 264) ** 2 / 36.0 ** 2 < 1:
            continue
        L += ['polygon %s' % pts([sc((x, y - 6)), sc((x - 3.5, y + 2)), sc((x + 3.5, y + 2))])]
    # lakes
    L += ['fill #b9d3dc', 'stroke #6d93a3', 'stroke-width %.1f' % (1.2 * S),
          'ellipse %.1f,%.1f %.1f,%.1f 0,360' % (56 * S, 360 * S, 36 * S, 18 * S),     # Светлое
          'push graphic-context', 'translate %.1f,%.1f' % (290 * S, 46 * S), 'rotate -24',
          'ellipse 0,0 %.1f,%.1f 0,360' % (34 * S, 7 * S), 'pop graphic-context']      # Долгое
    # rivers
    for rname, pts_ in RIVERS.items():
        wdt = 3.2 if rname == 'Студёна' else 2.0
        L += ['fill none', 'stroke #4b7d96', 'stroke-width %.1f' % (wdt * S),
              'path "M %s"' % pts([sc(p) for p in smooth(pts_)])]
    # roads: the post road and the winter road (dashed)
    L += ['stroke #8b3a22', 'stroke-width %.1f' % (1.4 * S), 'stroke-dasharray %d,%d' % (6 * S, 4 * S), 'fill none',
          'path "M %s"' % pts([sc(p) for p in smooth([(456, 64), (408, 102), (360, 144), (320, 174), (270, 200), (226, 222),
                                                          (196, 252), (176, 290), (130, 316), (82, 342)], 6)]),
          'stroke-dasharray %d,%d' % (2 * S, 3 * S),
          'path "M %s"' % pts([sc(p) for p in smooth([(318, 146), (336, 112), (330, 84), (306, 60)], 6)]),
          'stroke-dasharray none']
    # towns and villages
    towns = [('Студёнск', (454, 60), 'town', (-78, -10)), ('Ярогород', (214, 214), 'town', (10, 18)),
             ('Соль-Кемжа', (324, 106), 'town', (-88, 4)), ('Ладейный Бор', (410, 92), 'village', (-6, 20)),
             ('Сорокин погост', (74, 346), 'village', (14, 18)), ('Белые Ключи', (396, 270), 'village', (12, 4)),
             ('Верхние Мельницы', (140, 138), 'village', (-30, -12))]
    for tname, (x, y), kind, (dx, dy) in towns:
        if kind == 'town':
            L += ['stroke #3b2a1a', 'stroke-width %.1f' % S, 'fill #b2321f',
                  'rectangle %.1f,%.1f %.1f,%.1f' % ((x - 5) * S, (y - 5) * S, (x + 5) * S, (y + 5) * S)]
        else:
            L += ['stroke #3b2a1a', 'stroke-width %.1f' % S, 'fill #f6ecd2',
                  'circle %.1f,%.1f %.1f,%.1f' % (x * S, y * S, (x + 3.5) * S, y * S)]
        L += ['stroke none', 'fill #2f2216', 'font "%s"' % (SERIF_B if kind == 'town' else SERIF),
              'font-size %d' % ((14 if kind == 'town' else 12) * S),
              'text %.1f,%.1f "%s"' % ((x + dx) * S, (y + dy) * S, tname)]
    # names of waters
    L += ['fill #2e5a72', 'font "%s"' % SERIF_I, 'font-size %d' % (13 * S)]
    for text, (x, y), ang in (('р. Студёна', (96, 300), -40), ('р. Студёна', (338, 162), -22), ('р. Ярога', (150, 176), 40),
                              ('р. Мезьма', (338, 250), 38), ('р. Кемжа', (332, 60), 62),
                              ('оз. Светлое', (28, 392), 0), ('оз. Долгое', (196, 44), 0),
                              ('море', (430, 24), 0)):
        L += ['push graphic-context', 'translate %.1f,%.1f' % (x * S, y * S), 'rotate %d' % ang,
              'text 0,0 "%s"' % text, 'pop graphic-context']
    L += ['fill #5a6e46', 'font-size %d' % (12 * S), 'text %.1f,%.1f "Журавлиные болота"' % (226 * S, 312 * S),
          'fill #7a5636', 'text %.1f,%.1f "Каменный кряж"' % (30 * S, 72 * S)]
    # compass rose
    cx, cy = 470, 350
    L += ['fill #6b2b12', 'stroke none',
          'polygon %s' % pts([sc((cx, cy - 26)), sc((cx - 6, cy)), sc((cx + 6, cy))]),
          'fill #d9c49a', 'polygon %s' % pts([sc((cx, cy + 26)), sc((cx - 6, cy)), sc((cx + 6, cy))]),
          'fill #6b2b12', 'font "%s"' % SERIF_B, 'font-size %d' % (13 * S), 'text %.1f,%.1f "С"' % ((cx - 5) * S, (cy - 30) * S)]
    # title cartouche
    L += ['fill #f3e6c6', 'stroke #6b2b12', 'stroke-width %.1f' % (1.5 * S),
          'rectangle %.1f,%.1f %.1f,%.1f' % (14 * S, 12 * S, 200 * S, 52 * S),
          'stroke none', 'fill #6b2b12', 'font "%s"' % SERIF_BI, 'font-size %d' % (18 * S),
          'text %.1f,%.1f "Полуночный край"' % (28 * S, 32 * S),
          'fill #6e5437', 'font "%s"' % SERIF_I, 'font-size %d' % (11 * S),
          'text %.1f,%.1f "реки, города и дороги"' % (28 * S, 46 * S)]
    # frame
    L += ['fill none', 'stroke #6b2b12', 'stroke-width %.1f' % (2 * S),
          'rectangle %.1f,%.1f %.1f,%.1f' % (3 * S, 3 * S, (W - 3) * S, (H - 3) * S)]
    convert('-size', '%dx%d' % (W * S, H * S), 'xc:#efe2c0',
            '(', '+clone', '-seed', '4', '+noise', 'Gaussian', '-colorspace', 'gray', '-blur', '0x2', ')',
            '-compose', 'softlight', '-composite', '-draw', mvg(name, L),
            '-colors', 96 if scale == 1 else 128, 'PNG8:' + out(name))     # a palette keeps the file small


def prjalka():
    w, h = 220, 360
    L = ['viewbox 0 0 %d %d' % (w, h)]
    blade = 'M 30,40 Q 40,20 60,30 Q 80,10 110,24 Q 140,10 160,30 Q 180,20 190,40 L 186,200 Q 150,214 134,236 L 86,236 Q 70,214 34,200 Z'
    L += ['fill #b8331f', 'stroke #5a1a0c', 'stroke-width 3', 'path "%s"' % blade]
    # neck and seat
    L += ['fill #c98a3a', 'path "M 92,236 L 128,236 Q 122,270 126,300 L 94,300 Q 98,270 92,236 Z"',
          'fill #a86a2a', 'rectangle 40,300 180,326', 'stroke #5a1a0c']
    # sun circles
    for cx, cy, r in ((110, 90, 38), (62, 160, 18), (158, 160, 18)):
        L += ['fill #e9b83a', 'stroke #6a2a10', 'stroke-width 2', 'circle %d,%d %d,%d' % (cx, cy, cx + r, cy),
              'fill #b8331f', 'circle %d,%d %d,%d' % (cx, cy, cx + r * 0.55, cy)]
        for k in range(12):
            a = k * math.pi / 6
            L += ['stroke #f6e2a0', 'stroke-width 2',
                  'line %.1f,%.1f %.1f,%.1f' % (cx + r * 0.6 * math.cos(a), cy + r * 0.6 * math.sin(a),
                                                cx + r * 0.92 * math.cos(a), cy + r * 0.92 * math.sin(a))]
        L += ['fill #f6e2a0', 'stroke none', 'circle %d,%d %d,%d' % (cx, cy, cx + r * 0.2, cy)]
    # a zigzag band and leaves
    zz = [(38 + i * 9.3, 196 if i % 2 == 0 else 184) for i in range(16)]
    L += ['fill none', 'stroke #f6e2a0', 'stroke-width 2.5', 'path "M %s"' % pts(zz)]
    for x in range(50, 180, 20):
        L += ['fill #2f6b3a', 'stroke none', 'ellipse %d,%d 6,3 0,360' % (x, 132)]
    L += ['fill #f6e2a0', 'stroke none']
    for x in range(58, 170, 14):
        L.append('circle %d,%d %d,%d' % (x, 46, x + 3, 46))
    convert('-size', '%dx%d' % (w, h), 'xc:#f3ead6', '-draw', mvg('prjalka', L), out('prjalka.png'))


def sorokin():
    s = 300
    base = sky('sorokin_sky.png', s, s, '#cfdcea', '#f7ecd8')
    L = ['viewbox 0 0 %d %d' % (s, s)]
    L += ['fill #8eaa7a', 'polygon %s' % pts([(0, 250), (80, 244), (200, 246), (300, 240), (300, 300), (0, 300)])]
    L += ['fill #a7c2d4', 'rectangle 0,272 300,300']
    wood, dark = '#7a5232', '#4a2f1b'
    # main log body and porch
    L += ['fill %s' % wood, 'stroke %s' % dark, 'stroke-width 1.5',
          'rectangle 110,170 190,250', 'rectangle 70,200 112,250', 'rectangle 188,206 226,250']
    for y in range(174, 250, 7):
        L += ['line 110,%d 190,%d' % (y, y)]
    for y in range(204, 250, 7):
        L += ['line 70,%d 112,%d' % (y, y), 'line 188,%d 226,%d' % (y + 3, y + 3)]
    # roofs
    L += ['fill #9a9a92', 'polygon 64,202 91,180 118,202', 'polygon 184,208 207,188 232,208',
          'polygon 104,172 150,150 196,172']
    # the tent with the drum
    L += ['fill #8d8d86', 'polygon 126,152 150,62 174,152']
    L += ['stroke #6f6f68', 'line 150,62 138,152', 'line 150,62 162,152']
    # domes
    def dome(x, y, r):
        return ['fill %s' % wood, 'stroke %s' % dark, 'rectangle %d,%d %d,%d' % (x - r * 0.5, y, x + r * 0.5, y + r * 1.2),
                'fill #b9b6ae', 'path "M %.1f,%.1f Q %.1f,%.1f %.1f,%.1f Q %.1f,%.1f %.1f,%.1f Z"' % (
                    x - r, y, x - r, y - r * 1.1, x, y - r * 1.9, x + r, y - r * 1.1, x + r, y),
                'stroke %s' % dark, 'stroke-width 1.5', 'line %d,%d %d,%d' % (x, y - r * 1.9, x, y - r * 2.8),
                'line %d,%d %d,%d' % (x - r * 0.4, y - r * 2.4, x + r * 0.4, y - r * 2.4)]
    L += dome(150, 60, 9)
    for x, y in ((91, 178), (207, 186), (124, 162), (176, 162)):
        L += dome(x, y, 6)
    # windows
    L += ['fill #2e2a26', 'stroke none', 'rectangle 140,200 146,212', 'rectangle 154,200 160,212',
          'rectangle 86,216 94,228', 'rectangle 202,220 210,230']
    # the bell tower at the right
    L += ['fill %s' % wood, 'stroke %s' % dark, 'rectangle 244,170 272,250', 'fill #9a9a92',
          'polygon 240,172 258,110 276,172', 'fill #2e2a26', 'rectangle 252,182 264,198']
    L += dome(258, 108, 5)
    convert(base, '-draw', mvg('sorokin', L), out('sorokin.png'))


def gerb():
    w, h = 180, 220
    shield = 'M 20,20 L 160,20 L 160,120 Q 160,180 90,205 Q 20,180 20,120 Z'
    # the field, and the silver waves cut to the shape of the shield
    convert('-size', '%dx%d' % (w, h), 'xc:none', '-draw', mvg('gerb_mask', ['fill #2f5f9a', 'path "%s"' % shield]),
            tmp('gerb_field.png'))
    W = []
    for y in (126, 146):
        p = wave_path(y, 160, 5, 35)
        top = [(x + 10, yy - 3) for x, yy in p]
        bottom = [(x + 10, yy + 3) for x, yy in reversed(p)]
        W += ['fill #f1f1f1', 'stroke none', 'polygon %s' % pts(top + bottom)]
    convert('-size', '%dx%d' % (w, h), 'xc:none', '-draw', mvg('gerb_waves', W), tmp('gerb_field.png'),
            '-compose', 'DstIn', '-composite', tmp('gerb_waves.png'))
    L = ['viewbox 0 0 %d %d' % (w, h)]
    # a golden fish above
    L += ['fill #e2b23a', 'stroke #6a4a10', 'stroke-width 1.5',
          'path "M 48,82 Q 84,50 122,80 Q 84,108 48,82 Z"', 'polygon 122,80 142,66 140,96',
          'fill #2a2a2a', 'circle 60,80 62,80']
    # a star (the north)
    star = []
    for k in range(10):
        a = -math.pi / 2 + k * math.pi / 5
        r = 12 if k % 2 == 0 else 5
        star.append((90 + r * math.cos(a), 42 + r * math.sin(a)))
    L += ['fill #f1f1f1', 'stroke none', 'polygon %s' % pts(star)]
    L += ['fill none', 'stroke #2a2a2a', 'stroke-width 3', 'path "%s"' % shield]
    convert(tmp('gerb_field.png'), tmp('gerb_waves.png'), '-compose', 'over', '-composite',
            '-draw', mvg('gerb', L), out('gerb.png'))


def izba():
    w, h = 320, 220
    base = sky('izba_sky.png', w, h, '#a9c6de', '#f1ead8')
    L = ['viewbox 0 0 %d %d' % (w, h)]
    L += ['fill #9bb07a', 'rectangle 0,180 %d,%d' % (w, h)]
    wood, dark = '#8a5a34', '#4d2f18'
    # log wall
    L += ['fill %s' % wood, 'stroke %s' % dark, 'stroke-width 1.2', 'rectangle 70,100 250,190']
    for y in range(104, 190, 8):
        L += ['line 70,%d 250,%d' % (y, y)]
        L += ['fill #a06a40', 'ellipse 70,%d 5,4 0,360' % y, 'ellipse 250,%d 5,4 0,360' % y, 'fill %s' % wood]
    # roof and gable
    L += ['fill #6d6a5e', 'stroke #3a372e', 'polygon 54,104 160,34 266,104 250,104 160,48 70,104']
    L += ['fill #b27a48', 'stroke %s' % dark, 'polygon 74,102 160,50 246,102']
    for y in range(58, 102, 8):
        half = (y - 50) / 52.0 * 86
        L += ['line %.1f,%d %.1f,%d' % (160 - half, y, 160 + half, y)]
    # a carved ridge: horse head
    L += ['fill #4d2f18', 'path "M 160,34 Q 172,20 182,26 L 176,30 Q 170,30 166,38 Z"']
    # windows with carved frames
    for x in (98, 144, 190):
        L += ['fill #f1e6c8', 'stroke %s' % dark, 'rectangle %d,%d %d,%d' % (x - 4, 116, x + 30, 160),
              'fill #2e4a60', 'rectangle %d,%d %d,%d' % (x, 122, x + 26, 154),
              'stroke #f1e6c8', 'stroke-width 1.5', 'line %d,122 %d,154' % (x + 13, x + 13), 'line %d,138 %d,138' % (x, x + 26),
              'stroke %s' % dark, 'stroke-width 1.2', 'fill #f1e6c8',
              'polygon %d,116 %d,106 %d,116' % (x - 6, x + 13, x + 32)]
    # gable window
    L += ['fill #2e4a60', 'rectangle 152,70 168,86']
    # chimney and smoke
    L += ['fill #8a4a3a', 'stroke none', 'rectangle 204,58 216,82']
    L += ['fill #e8e8ea', 'fill-opacity 0.7']
    for i, (x, y, r) in enumerate(((212, 50, 6), (218, 38, 8), (228, 24, 10), (242, 12, 12))):
        L += ['circle %d,%d %d,%d' % (x, y, x + r, y)]
    L += ['fill-opacity 1']
    # a birch
    L += ['fill #f4f4ee', 'stroke #2a2a2a', 'stroke-width 1', 'rectangle 286,90 292,190',
          'fill #6f9a44', 'stroke none', 'circle 289,80 289,52', 'circle 276,98 276,82', 'circle 302,96 302,80']
    for y in range(100, 190, 14):
        L += ['stroke #2a2a2a', 'line 286,%d 290,%d' % (y, y)]
    convert(base, '-draw', mvg('izba', L), '-type', 'TrueColor', 'BMP3:' + out('izba.bmp'))


def varnica():
    w, h = 320, 220
    base = sky('sol_sky.png', w, h, '#b9c4cc', '#ece6da')
    L = ['viewbox 0 0 %d %d' % (w, h)]
    L += ['fill #e9ecef', 'rectangle 0,176 %d,%d' % (w, h)]
    wood, dark = '#6e4a2c', '#3e2814'
    # the brine tower
    L += ['fill %s' % wood, 'stroke %s' % dark, 'stroke-width 1.2',
          'polygon 40,176 52,40 76,40 88,176']
    for y in range(48, 176, 10):
        x0 = 40 + (176 - y) / 136.0 * 12
        x1 = 88 - (176 - y) / 136.0 * 12
        L += ['line %.1f,%d %.1f,%d' % (x0, y, x1, y)]
    L += ['fill #5a5a52', 'polygon 46,42 64,18 82,42']
    # the pipe of the well: a sweep
    L += ['stroke %s' % dark, 'stroke-width 3', 'line 96,176 96,120', 'line 80,110 150,140']
    # the boiling house
    L += ['fill %s' % wood, 'stroke %s' % dark, 'stroke-width 1.2', 'rectangle 130,120 290,178',
          'fill #5a5a52', 'polygon 120,122 210,84 300,122']
    for y in range(126, 178, 8):
        L += ['line 130,%d 290,%d' % (y, y)]
    L += ['fill #f0c060', 'stroke none', 'rectangle 196,150 220,178']
    # smoke
    L += ['fill #7d7f84', 'fill-opacity 0.55']
    for x, y, r in ((214, 74, 9), (222, 58, 12), (236, 42, 15), (256, 28, 18), (282, 18, 20)):
        L += ['circle %d,%d %d,%d' % (x, y, x + r, y)]
    L += ['fill-opacity 1', 'fill #4a4a48', 'rectangle 206,78 220,98']
    # sacks of salt
    for x in (140, 158, 176):
        L += ['fill #f8f6f0', 'stroke #8a8a80', 'ellipse %d,%d 9,8 0,360' % (x, 186)]
    convert(base, '-draw', mvg('varnica', L), '-type', 'TrueColor', 'BMP3:' + out('varnica.bmp'))


def icons():
    """16 x 16 node pictures for trees (BMP, 256 colours)."""
    book = ['fill #f8f0d8', 'stroke #5a2a10', 'rectangle 2,2 13,13', 'fill #b2321f', 'stroke none',
            'rectangle 2,2 4,13', 'stroke #5a2a10', 'line 6,5 12,5', 'line 6,8 12,8', 'line 6,11 10,11']
    folder = ['fill #e2b23a', 'stroke #6a4a10', 'polygon 1,4 6,4 7,6 14,6 14,13 1,13']
    page = ['fill #ffffff', 'stroke #4a4a4a', 'polygon 3,1 10,1 13,4 13,14 3,14',
            'line 5,6 11,6', 'line 5,9 11,9', 'line 5,12 9,12']
    for name, L in (('node_book.bmp', book), ('node_folder.bmp', folder), ('node_page.bmp', page)):
        convert('-size', '16x16', 'xc:#ffffff', '-draw', mvg(name, ['viewbox 0 0 16 16'] + L),
                '+antialias', '-type', 'Palette', 'BMP3:' + out(name))


def main():
    os.makedirs(OUT, exist_ok=True)
    splash()
    studena()
    svetloe()
    zimnik()
    nebo()
    ladya()
    vyshivka()
    kruzhevo()
    karta(1, 'karta.png')
    karta(2, 'kartabig.png')
    prjalka()
    sorokin()
    gerb()
    izba()
    varnica()
    icons()
    for fn in sorted(os.listdir(OUT)):
        print(fn, subprocess.check_output(['identify', '-format', '%m %wx%h', out(fn) + '[0]'], text=True))


if __name__ == '__main__':
    main()
