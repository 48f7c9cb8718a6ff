#!/usr/bin/env python3
"""Writes the SVG sources of the push-button faces beside this script.

Every button exists three times: the up face (plate raised: light top and left
edges, dark bottom and right edges), the down face (plate sunken, a shade
darker, and everything on it moved one pixel right and down) and the focus
face (the up face with a dark blue frame and a yellow line inside it, shown
while the button has the keyboard focus, so that a child who works with the
keys sees at once which button Enter or Space will press). All faces are
written from one description, so they always match. The owl is the
program's mascot; the clown belongs to the small two-choice dialogs.

Run it after changing a face, then render-art.sh.
"""
from pathlib import Path

HERE = Path(__file__).resolve().parent

OUTLINE = "#2b1a0e"

# The mascot, drawn in a 48 x 76 box and scaled to half size on the faces.
OWL = f"""
<g stroke="{OUTLINE}" stroke-width="2.6" stroke-linejoin="round" stroke-linecap="round">
  <path d="M8,22 L6,3 L20,13 Z" fill="#b8560f"/>
  <path d="M40,22 L42,3 L28,13 Z" fill="#b8560f"/>
  <path d="M24,9 C40,9 46,24 46,43 C46,61 37,71 24,71 C11,71 2,61 2,43 C2,24 8,9 24,9 Z" fill="#f4902c"/>
  <ellipse cx="24" cy="53" rx="12" ry="14" fill="#ffe08a" stroke="none"/>
  <path d="M3,38 C0,50 4,61 13,64 C10,55 10,46 3,38 Z" fill="#b8560f"/>
  <path d="M45,38 C48,50 44,61 35,64 C38,55 38,46 45,38 Z" fill="#b8560f"/>
  <circle cx="14.5" cy="28" r="8.6" fill="#ffffff"/>
  <circle cx="33.5" cy="28" r="8.6" fill="#ffffff"/>
  <circle cx="16" cy="29" r="4.3" fill="#101010" stroke="none"/>
  <circle cx="32" cy="29" r="4.3" fill="#101010" stroke="none"/>
  <circle cx="17.4" cy="27.4" r="1.5" fill="#ffffff" stroke="none"/>
  <circle cx="33.4" cy="27.4" r="1.5" fill="#ffffff" stroke="none"/>
  <path d="M19.5,37 L28.5,37 L24,45 Z" fill="#ffc61a"/>
  <path d="M15,71 L15,74 M19,71 L19,74 M29,71 L29,74 M33,71 L33,74" stroke="#d08a00" stroke-width="3"/>
</g>"""

# The clown's face, drawn in a 52 x 76 box and scaled to half size.
CLOWN = """
<g stroke="#1e1e1e" stroke-width="2.6" stroke-linejoin="round" stroke-linecap="round">
  <path d="M26,64 L12,57 L12,73 Z M26,64 L40,57 L40,73 Z" fill="#ffd21a"/>
  <circle cx="26" cy="64" r="3.5" fill="#ffd21a"/>
  <circle cx="8" cy="32" r="8" fill="#ff7a12"/>
  <circle cx="7" cy="45" r="7.5" fill="#ff7a12"/>
  <circle cx="44" cy="32" r="8" fill="#ff7a12"/>
  <circle cx="45" cy="45" r="7.5" fill="#ff7a12"/>
  <circle cx="26" cy="40" r="19" fill="#ffffff"/>
  <path d="M14,21 L26,1 L38,21 Z" fill="#22a045"/>
  <circle cx="26" cy="3" r="4" fill="#ffd21a"/>
  <path d="M19,28 L22,34 L19,40 L16,34 Z" fill="#2a63d8" stroke="none"/>
  <path d="M33,28 L36,34 L33,40 L30,34 Z" fill="#2a63d8" stroke="none"/>
  <circle cx="19" cy="34" r="2.4" fill="#101010" stroke="none"/>
  <circle cx="33" cy="34" r="2.4" fill="#101010" stroke="none"/>
  <path d="M14,47 Q26,62 38,47 Q26,52 14,47 Z" fill="#e01e25"/>
  <circle cx="26" cy="42" r="5.5" fill="#e01e25"/>
  <circle cx="24.3" cy="40.3" r="1.5" fill="#ffffff" stroke="none"/>
</g>"""

FONT = "Liberation Sans"

# The focus frame: dark blue, strong against the grey plate and against the
# yellow line inside it. The blue is deep enough that no edge pixel of the
# clown (its blue eyes against black) comes out nearer to it than to the
# colours it takes on the up face.
FOCUS_FRAME = "#0010b0"
FOCUS_GLOW = "#ffd21a"


def plate(w, h, down):
    """The grey plate and its two-pixel bevel, as (face, bevel).

    The bevel is drawn last, over the picture, so that nothing on the plate
    can cover its edges."""
    white, light, face, dark, black = "#ffffff", "#e6e6e6", "#cccccc", "#7a7a7a", "#1e1e1e"
    if down:
        face = "#c2c2c2"
        tl_outer, tl_inner, br_outer, br_inner = black, dark, white, light
    else:
        tl_outer, tl_inner, br_outer, br_inner = white, light, black, dark
    fill = f'<rect x="0" y="0" width="{w}" height="{h}" fill="{face}"/>'
    bevel = f"""
    <rect x="0" y="0" width="{w - 1}" height="1" fill="{tl_outer}"/>
    <rect x="0" y="0" width="1" height="{h - 1}" fill="{tl_outer}"/>
    <rect x="1" y="1" width="{w - 3}" height="1" fill="{tl_inner}"/>
    <rect x="1" y="1" width="1" height="{h - 3}" fill="{tl_inner}"/>
    <rect x="0" y="{h - 1}" width="{w}" height="1" fill="{br_outer}"/>
    <rect x="{w - 1}" y="0" width="1" height="{h}" fill="{br_outer}"/>
    <rect x="1" y="{h - 2}" width="{w - 2}" height="1" fill="{br_inner}"/>
    <rect x="{w - 2}" y="1" width="1" height="{h - 2}" fill="{br_inner}"/>"""
    return fill, bevel


def frame(w, h, inset, width, colour):
    """A frame `width` pixels wide, `inset` pixels inside the face's edge.

    Its outermost corner pixels are left out, which rounds the corners a
    little at the native size."""
    right, bottom = w - inset, h - inset
    return "".join(f"""
    <rect x="{x}" y="{y}" width="{rw}" height="{rh}" fill="{colour}"/>""" for x, y, rw, rh in (
        (inset + 1, inset, right - inset - 2, width),
        (inset + 1, bottom - width, right - inset - 2, width),
        (inset, inset + 1, width, bottom - inset - 2),
        (right - width, inset + 1, width, bottom - inset - 2),
    ))


def focus_ring(w, h):
    """The focus face's mark: right inside the bevel a frame of two dark blue
    pixels with one yellow pixel inside it. It lies under the picture, so the
    owl and the clown stand in front of it and the word stays whole."""
    return frame(w, h, 2, 2, FOCUS_FRAME) + frame(w, h, 4, 1, FOCUS_GLOW)


def lettering(text, x, baseline, size, colour, spacing=0.0):
    # A thin stroke in the letters' own colour with round joins makes the
    # bold letters a little fatter and softens their corners.
    return (f'<text x="{x}" y="{baseline}" text-anchor="middle" font-family="{FONT}" '
            f'font-weight="bold" font-size="{size}" letter-spacing="{spacing}" fill="{colour}" '
            f'stroke="{colour}" stroke-width="0.7" stroke-linejoin="round">{text}</text>')


def mix(a, b, t):
    """The colour t of the way from a to b, both "#rrggbb"."""
    ca = [int(a[i:i + 2], 16) for i in (1, 3, 5)]
    cb = [int(b[i:i + 2], 16) for i in (1, 3, 5)]
    return "#" + "".join(f"{round(x + (y - x) * t):02x}" for x, y in zip(ca, cb))


def clown_palette(text_colour, down, focus=False):
    """The 16 colours of a clown face: plate, lettering with two edge shades, clown.

    At this size no pixel of the clown comes out pink, so the focus face
    gives that place to the focus frame's blue (its yellow is the clown's)."""
    plate_face = "#c2c2c2" if down else "#cccccc"
    return " ".join([
        "#ffffff", "#e6e6e6", plate_face, "#a4a4a4", "#7a7a7a", "#1e1e1e",
        text_colour, mix(text_colour, plate_face, 0.4), mix(text_colour, plate_face, 0.75),
        "#e01e25", "#ff7a12", "#22a045", "#ffd21a", "#2a63d8",
        FOCUS_FRAME if focus else "#f39a8a", "#5a5a5a",
    ])


def face(w, h, content, down, palette=None, focus=False):
    shift = ' transform="translate(1,1)"' if down else ""
    fixed = f' data-palette="{palette}"' if palette else ""
    fill, bevel = plate(w, h, down)
    ring = f"""
  <g shape-rendering="crispEdges">{focus_ring(w, h)}
  </g>""" if focus else ""
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" viewBox="0 0 {w} {h}"{fixed}>
  <!-- written by make-buttons.py -->
  <g shape-rendering="crispEdges">{fill}</g>{ring}
  <g{shift}>
{content}
  </g>
  <g shape-rendering="crispEdges">{bevel}
  </g>
</svg>
"""


# The faces of a button: file suffix, plate sunken, focus frame.
FACES = (("U", False, False), ("D", True, False), ("F", False, True))

# name stem: (text, font size, colour, letter spacing)
OWL_BUTTONS = {
    "OK": ("OK !", 19, "#0b7a24", 0.0),
    "NEXT": ("Weiter", 15, "#163fa8", -0.3),
    "CANCEL": ("ENDE", 15.5, "#b3121c", 0.0),
    "HELPBUTTON": ("HILFE", 15.5, "#6c1ea0", 0.0),
}

CLOWN_BUTTONS = {
    "OK2": ("Ok", 20, "#0b7a24", 0.0),
    "CANCEL2": ("Ende", 17, "#b3121c", 0.0),
    "LOESEN": ("Lösen", 16, "#163fa8", 0.0),
    "NOCHMALS": ("Nochmal", 13, "#0b7a24", -0.4),
}


def main():
    w, h = 79, 44
    for stem, (text, size, colour, spacing) in OWL_BUTTONS.items():
        # Letters centred in the left part, the owl at the right.
        content = (lettering(text, 27.5, 22 + size * 0.36, size, colour, spacing)
                   + f'\n<g transform="translate(52.5,3) scale(0.49)">{OWL}</g>')
        for suffix, down, focus in FACES:
            (HERE / f"{stem}{suffix}.svg").write_text(
                face(w, h, content, down, focus=focus), encoding="utf-8")
    w = 87
    for stem, (text, size, colour, spacing) in CLOWN_BUTTONS.items():
        # The clown at the left, the word in the right part.
        content = (f'<g transform="translate(3,6) scale(0.43)">{CLOWN}</g>\n'
                   + lettering(text, 56, 22 + size * 0.36, size, colour, spacing))
        for suffix, down, focus in FACES:
            (HERE / f"{stem}{suffix}.svg").write_text(
                face(w, h, content, down, clown_palette(colour, down, focus), focus),
                encoding="utf-8")


if __name__ == "__main__":
    main()
