#!/usr/bin/python3
"""Draws the toolkit's and the installer's graphics as PNG files.

    /usr/bin/python3 graphics/make_graphics.py [OUTPUT_DIR]

All graphics share one dark TV style: a blue-grey glass panel with a soft
top highlight, amber accents (the title colour of the boxes is 0xE89211)
and a light input trough that dark text stays readable on.  Shapes are drawn
at four times the size and scaled down, which gives smooth edges.  The PNGs
are committed; the build packs them with grpacker.
"""
import math
import os
import sys

from PIL import Image, ImageDraw

SS = 4  # supersampling factor

PANEL_TOP = (52, 60, 78)
PANEL_BOTTOM = (18, 22, 31)
PANEL_ALPHA = 238
BORDER = (112, 126, 150)
AMBER_TOP = (255, 206, 110)
AMBER_BOTTOM = (226, 140, 22)


def lerp(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def vertical_gradient(w, h, top, bottom, alpha=255):
    img = Image.new("RGBA", (w, h))
    px = img.load()
    for y in range(h):
        c = lerp(top, bottom, y / max(1, h - 1)) + (alpha,)
        for x in range(w):
            px[x, y] = c
    return img


def rounded_mask(w, h, radius, inset=0):
    """Anti-aliased mask of a rounded rectangle (drawn at SS x size)."""
    big = Image.new("L", (w * SS, h * SS), 0)
    d = ImageDraw.Draw(big)
    i = inset * SS
    d.rounded_rectangle((i, i, w * SS - 1 - i, h * SS - 1 - i), radius=radius * SS, fill=255)
    return big.resize((w, h), Image.LANCZOS)


def apply_mask(img, mask):
    r, g, b, a = img.split()
    a = Image.composite(a, Image.new("L", img.size, 0), mask)
    return Image.merge("RGBA", (r, g, b, a))


def info_box():
    """380 x 190 panel: glass gradient, title band, amber rule, thin frame."""
    w, h = 380, 190
    body = vertical_gradient(w, h, PANEL_TOP, PANEL_BOTTOM, PANEL_ALPHA)
    # Title band: slightly lighter, ends in an amber rule under the title.
    band = vertical_gradient(w, 36, (70, 80, 102), (44, 51, 67), PANEL_ALPHA)
    body.paste(band, (0, 0))
    d = ImageDraw.Draw(body)
    for x in range(12, w - 12):
        # The rule fades out towards both ends.
        t = min(x - 12, w - 13 - x) / 80.0
        a = int(255 * min(1.0, t))
        base = body.getpixel((x, 36))
        d.point((x, 36), fill=lerp(base[:3], (232, 146, 17), a / 255.0) + (PANEL_ALPHA,))
    # Frame: light outer line, dark inner line.
    frame = Image.new("RGBA", (w, h), BORDER + (255,))
    outer = rounded_mask(w, h, 10)
    inner = rounded_mask(w, h, 9, inset=1)
    ring = Image.composite(Image.new("L", (w, h), 0), outer, inner)
    body.paste(frame, (0, 0), ring)
    return apply_mask(body, outer)


def button_highlight():
    """100 x 25 highlighted button: amber gradient with a glossy top half."""
    w, h = 100, 25
    img = vertical_gradient(w, h, AMBER_TOP, AMBER_BOTTOM)
    gloss = vertical_gradient(w, h // 2, (255, 240, 200), AMBER_TOP)
    gloss_mask = rounded_mask(w, h // 2, 4, inset=1)
    gloss_mask = Image.eval(gloss_mask, lambda v: v * 120 // 255)
    img.paste(gloss, (0, 0), gloss_mask)
    edge = Image.new("RGBA", (w, h), (150, 86, 6, 255))
    outer = rounded_mask(w, h, 6)
    inner = rounded_mask(w, h, 5, inset=1)
    ring = Image.composite(Image.new("L", (w, h), 0), outer, inner)
    img.paste(edge, (0, 0), ring)
    # The button sits on the panel; give the corners the panel's colour so
    # that the graphic can be put without blending.
    under = info_box().crop((140, 120, 140 + w, 120 + h))
    under.alpha_composite(apply_mask(img, outer))
    return under


def bar(w, h, top, bottom, edge, radius=6, gloss=True):
    img = vertical_gradient(w, h, top, bottom)
    if gloss:
        shine = vertical_gradient(w, h // 2, lerp(top, (255, 255, 255), 0.45), top)
        m = Image.eval(rounded_mask(w, h // 2, radius - 2, inset=1), lambda v: v * 140 // 255)
        img.paste(shine, (0, 0), m)
    outer = rounded_mask(w, h, radius)
    inner = rounded_mask(w, h, radius - 1, inset=1)
    ring = Image.composite(Image.new("L", (w, h), 0), outer, inner)
    img.paste(Image.new("RGBA", (w, h), edge + (255,)), (0, 0), ring)
    return img, outer


def on_panel(img, mask, panel_x, panel_y):
    """Composes a shape onto the info-box pixels it covers on screen."""
    w, h = img.size
    under = info_box().crop((panel_x, panel_y, panel_x + w, panel_y + h))
    under.alpha_composite(apply_mask(img, mask))
    return under


def input_box():
    """252 x 18 empty bar / input field: light trough with an inner shadow."""
    img, mask = bar(252, 18, (196, 204, 216), (236, 240, 246), (70, 80, 98), gloss=False)
    shadow = Image.new("RGBA", img.size, (0, 0, 0, 0))
    d = ImageDraw.Draw(shadow)
    d.line((3, 1, 248, 1), fill=(90, 100, 120, 110))
    d.line((2, 2, 249, 2), fill=(90, 100, 120, 50))
    img.alpha_composite(shadow)
    # The bar lies at screen (233, 330), the info box at (170, 193).
    return on_panel(img, mask, 233 - 170, 330 - 193)


def progress_bar():
    """252 x 18 full bar: amber fill with a gloss, same outline as the trough."""
    img, mask = bar(252, 18, AMBER_TOP, AMBER_BOTTOM, (120, 70, 6))
    return on_panel(img, mask, 233 - 170, 330 - 193)


def wait_spinner():
    """1000 x 50: 20 frames of a ring of dots with a fading tail.

    The frames are copied into the info box at (15, 130) without blending, so
    each frame carries the panel's pixels as its background."""
    frames = Image.new("RGBA", (1000, 50))
    background = info_box().crop((15, 130, 65, 180))
    dots = 12
    for k in range(20):
        frame = background.copy()
        big = Image.new("RGBA", (50 * SS, 50 * SS), (0, 0, 0, 0))
        d = ImageDraw.Draw(big)
        head = k / 20.0 * 2 * math.pi
        for i in range(dots):
            angle = head - i * 2 * math.pi / dots
            fade = 1.0 - i / dots
            cx = 25 * SS + math.sin(angle) * 16 * SS
            cy = 25 * SS - math.cos(angle) * 16 * SS
            r = (2.2 + 2.0 * fade) * SS
            colour = lerp((90, 100, 120), AMBER_TOP, fade) + (int(60 + 195 * fade),)
            d.ellipse((cx - r, cy - r, cx + r, cy + r), fill=colour)
        small = big.resize((50, 50), Image.LANCZOS)
        frame.alpha_composite(small)
        frames.paste(frame, (50 * k, 0))
    return frames


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    graphics = {
        "InfoBox": info_box(),
        "MessageBoxSelectedButtonBackground": button_highlight(),
        "WaitSpinner_All": wait_spinner(),
        "InputBox": input_box(),
        "Progressbar": progress_bar(),
    }
    for name, img in graphics.items():
        img.save(os.path.join(out, name + ".png"), optimize=True)
        print(f"{name}.png {img.size[0]} x {img.size[1]}")


if __name__ == "__main__":
    main()
