#!/usr/bin/python3
"""Draws every picture of the skin package from vector descriptions.

    tools/skin-art/generate.py [--skin res/skin] [--icon res/icon]

Runs with the Debian python3 (package python3-cairo).

Change the brand below (colours, product mark) and run it again: every background, logo,
button sprite, check box, progress image, icon, banner and animation frame is redrawn.
Button sprites hold their four states side by side: normal, hot, pushed, disabled.
Every PNG picture is also drawn at twice the density as name@2x.png, which the toolkit takes on
a desktop scaled to 200 %.
"""
import argparse
import math
import os
import subprocess
import sys
import tempfile

import cairo

# --- brand -----------------------------------------------------------------------------------
THEME = (0x83, 0x72, 0xFF)
THEME_LIGHT = (0x9B, 0x8C, 0xFF)
THEME_DARK = (0x63, 0x50, 0xF0)
INK = (0x1E, 0x1B, 0x33)
GREY = (0x9A, 0x98, 0xA6)
LINE = (0xE4, 0xE0, 0xF7)
TINT = (0xF4, 0xF2, 0xFF)
TINT2 = (0xEA, 0xE6, 0xFF)
DISABLED = (0xC9, 0xC9, 0xC8)
WARM = (0xFF, 0x9F, 0x2E)
WHITE = (0xFF, 0xFF, 0xFF)
WORDMARK = "Zorvik"
FONT = "DejaVu Sans"

STATES = ("normal", "hot", "pushed", "disabled")
# Hover and press go darker, so white labels keep 4.5:1 or more on them.
THEME_HOT = (0x66, 0x52, 0xEE)
THEME_PUSHED = (0x5A, 0x46, 0xDC)

# Image pixels per layout pixel of the pictures being drawn (set by main for the @2x pass).
SCALE = 1


# --- drawing helpers -------------------------------------------------------------------------
def rgb(c, a=1.0):
    return (c[0] / 255.0, c[1] / 255.0, c[2] / 255.0, a)


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def surface(w, h):
    s = cairo.ImageSurface(cairo.FORMAT_ARGB32, w * SCALE, h * SCALE)
    ctx = cairo.Context(s)
    ctx.scale(SCALE, SCALE)
    ctx.set_antialias(cairo.ANTIALIAS_BEST)
    return s, ctx


def rounded(ctx, x, y, w, h, r):
    r = min(r, w / 2.0, h / 2.0)
    ctx.new_sub_path()
    ctx.arc(x + w - r, y + r, r, -math.pi / 2, 0)
    ctx.arc(x + w - r, y + h - r, r, 0, math.pi / 2)
    ctx.arc(x + r, y + h - r, r, math.pi / 2, math.pi)
    ctx.arc(x + r, y + r, r, math.pi, 3 * math.pi / 2)
    ctx.close_path()


def fill_rounded(ctx, x, y, w, h, r, colour, alpha=1.0):
    rounded(ctx, x, y, w, h, r)
    ctx.set_source_rgba(*rgb(colour, alpha))
    ctx.fill()


def stroke_rounded(ctx, x, y, w, h, r, colour, width=1.0, alpha=1.0):
    rounded(ctx, x + width / 2, y + width / 2, w - width, h - width, r)
    ctx.set_source_rgba(*rgb(colour, alpha))
    ctx.set_line_width(width)
    ctx.stroke()


def theme_gradient(x0, y0, x1, y1):
    g = cairo.LinearGradient(x0, y0, x1, y1)
    g.add_color_stop_rgba(0, *rgb(THEME_LIGHT))
    g.add_color_stop_rgba(1, *rgb(THEME_DARK))
    return g


def text(ctx, s, x, y, size, colour, bold=True, align="left", alpha=1.0):
    ctx.select_font_face(FONT, cairo.FONT_SLANT_NORMAL,
                         cairo.FONT_WEIGHT_BOLD if bold else cairo.FONT_WEIGHT_NORMAL)
    ctx.set_font_size(size)
    ext = ctx.text_extents(s)
    if align == "center":
        x -= ext.x_advance / 2.0
    ctx.move_to(x, y)
    ctx.set_source_rgba(*rgb(colour, alpha))
    ctx.show_text(s)


def soft_circle(ctx, cx, cy, r, colour, alpha):
    g = cairo.RadialGradient(cx, cy, 0, cx, cy, r)
    g.add_color_stop_rgba(0, *rgb(colour, alpha))
    g.add_color_stop_rgba(1, *rgb(colour, 0))
    ctx.set_source(g)
    ctx.arc(cx, cy, r, 0, 2 * math.pi)
    ctx.fill()


# --- the product mark ------------------------------------------------------------------------
def draw_mark(ctx, x, y, size, shadow=False):
    """A rounded tile in the theme colour holding a play triangle inside a convert arrow."""
    s = size
    if shadow:
        for i in range(6, 0, -1):
            fill_rounded(ctx, x - i * 0.4 + s * 0.02, y + s * 0.06 + i * 0.5, s + i * 0.8, s,
                         s * 0.26, THEME, 0.035)
    rounded(ctx, x, y, s, s, s * 0.26)
    ctx.set_source(theme_gradient(x, y, x + s, y + s))
    ctx.fill()
    # gloss on the upper half
    rounded(ctx, x, y, s, s, s * 0.26)
    g = cairo.LinearGradient(x, y, x, y + s)
    g.add_color_stop_rgba(0, 1, 1, 1, 0.18)
    g.add_color_stop_rgba(0.55, 1, 1, 1, 0.0)
    ctx.set_source(g)
    ctx.fill()
    cx, cy = x + s / 2.0, y + s / 2.0
    # convert arrow: an open ring with an arrow head
    r = s * 0.30
    ctx.set_line_width(max(1.2, s * 0.065))
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_source_rgba(1, 1, 1, 0.95)
    a0, a1 = math.radians(-50), math.radians(215)
    ctx.arc(cx, cy, r, a0, a1)
    ctx.stroke()
    # arrow head at the end of the ring, pointing along the direction of travel
    ex, ey = cx + r * math.cos(a1), cy + r * math.sin(a1)
    dx, dy = -math.sin(a1), math.cos(a1)
    nx, ny = math.cos(a1), math.sin(a1)
    head = s * 0.11
    ctx.move_to(ex + dx * head * 1.1, ey + dy * head * 1.1)
    ctx.line_to(ex + nx * head, ey + ny * head)
    ctx.line_to(ex - nx * head, ey - ny * head)
    ctx.close_path()
    ctx.fill()
    # play triangle
    t = s * 0.15
    ctx.move_to(cx - t * 0.62, cy - t)
    ctx.line_to(cx + t * 1.0, cy)
    ctx.line_to(cx - t * 0.62, cy + t)
    ctx.close_path()
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    ctx.set_line_width(max(1.0, s * 0.03))
    ctx.fill_preserve()
    ctx.stroke()


# --- backgrounds -----------------------------------------------------------------------------
def decor(ctx, w, h, variant):
    g = cairo.LinearGradient(0, 0, 0, h)
    g.add_color_stop_rgba(0, *rgb(mix(TINT, WHITE, 0.2)))
    g.add_color_stop_rgba(0.7, *rgb(WHITE))
    ctx.set_source(g)
    ctx.rectangle(0, 0, w, h)
    ctx.fill()
    if variant == 0:
        soft_circle(ctx, w - 60, -20, 230, THEME, 0.16)
        soft_circle(ctx, 40, 60, 170, THEME_LIGHT, 0.10)
    else:
        soft_circle(ctx, 70, -10, 240, THEME, 0.14)
        soft_circle(ctx, w - 30, 90, 180, THEME_LIGHT, 0.11)
    # two flowing ribbons along the top
    for i, alpha in enumerate((0.10, 0.06)):
        ctx.move_to(0, 40 + i * 26)
        ctx.curve_to(w * 0.3, -10 + i * 30, w * 0.6, 110 + i * 20, w, 30 + i * 30)
        ctx.line_to(w, 0)
        ctx.line_to(0, 0)
        ctx.close_path()
        ctx.set_source_rgba(*rgb(THEME, alpha))
        ctx.fill()


def img_background_nologo(w=650, h=322):
    s, ctx = surface(w, h)
    decor(ctx, w, h, 0)
    return s


def img_background_complete(w=650, h=322):
    s, ctx = surface(w, h)
    decor(ctx, w, h, 1)
    # a few celebration sparks around the badge area
    for (x, y, r, a) in ((205, 92, 4, 0.5), (452, 78, 3, 0.45), (168, 146, 3, 0.35),
                         (486, 140, 5, 0.35), (244, 58, 2.5, 0.4), (418, 160, 2.5, 0.4)):
        ctx.arc(x, y, r, 0, 2 * math.pi)
        ctx.set_source_rgba(*rgb(THEME, a))
        ctx.fill()
    return s


def img_background(w=650, h=371):
    s, ctx = surface(w, h)
    decor(ctx, w, h, 0)
    draw_mark(ctx, w / 2 - 40, 56, 80, shadow=True)
    return s


def img_bg_bottom(w=650, h=56):
    s, ctx = surface(w, h)
    g = cairo.LinearGradient(0, 0, 0, h)
    g.add_color_stop_rgba(0, *rgb(WHITE))
    g.add_color_stop_rgba(1, *rgb(mix(TINT, WHITE, 0.5)))
    ctx.set_source(g)
    ctx.paint()
    return s


def img_bg_setting(w=650, h=200):
    s, ctx = surface(w, h)
    ctx.set_source_rgba(*rgb(mix(TINT, WHITE, 0.55)))
    ctx.paint()
    ctx.rectangle(0, 0, w, 1)
    ctx.set_source_rgba(*rgb(LINE))
    ctx.fill()
    return s


def img_bg_message(w=448, h=184):
    s, ctx = surface(w, h)
    fill_rounded(ctx, 0, 0, w, h, 10, WHITE)
    # button band at the bottom
    ctx.save()
    rounded(ctx, 0, 0, w, h, 10)
    ctx.clip()
    ctx.rectangle(0, h - 80, w, 80)
    ctx.set_source_rgba(*rgb(mix(TINT, WHITE, 0.45)))
    ctx.fill()
    ctx.rectangle(0, h - 80, w, 1)
    ctx.set_source_rgba(*rgb(LINE, 0.8))
    ctx.fill()
    ctx.rectangle(0, 0, w, 4)
    ctx.set_source(theme_gradient(0, 0, w, 0))
    ctx.fill()
    ctx.restore()
    stroke_rounded(ctx, 0, 0, w, h, 10, LINE)
    return s


def img_waiting(w=320, h=320):
    s, ctx = surface(w, h)
    fill_rounded(ctx, 0, 0, w, h, 24, WHITE)
    ctx.save()
    rounded(ctx, 0, 0, w, h, 24)
    ctx.clip()
    soft_circle(ctx, 160, 128, 150, THEME, 0.10)
    ctx.restore()
    stroke_rounded(ctx, 0, 0, w, h, 24, LINE)
    return s


# --- logos -----------------------------------------------------------------------------------
def img_logo(size=80):
    s, ctx = surface(size, size)
    draw_mark(ctx, 0, 0, size)
    return s


def img_logo_left_top(w=650, h=200):
    s, ctx = surface(w, h)
    draw_mark(ctx, 22, 16, 28)
    text(ctx, WORDMARK, 58, 36, 16, INK)
    return s


# --- button sprites --------------------------------------------------------------------------
def sprite(cell_w, cell_h, draw_state):
    s, ctx = surface(cell_w * 4, cell_h)
    for i, state in enumerate(STATES):
        ctx.save()
        ctx.translate(i * cell_w, 0)
        draw_state(ctx, cell_w, cell_h, state)
        ctx.restore()
    return s


def solid_pill(ctx, w, h, state):
    colour = {"normal": THEME, "hot": THEME_HOT, "pushed": THEME_PUSHED,
              "disabled": DISABLED}[state]
    fill_rounded(ctx, 0, 0, w, h, h / 2.0, colour)


def outline_pill(radius_ratio):
    def draw(ctx, w, h, state):
        r = h * radius_ratio
        fill = {"normal": WHITE, "hot": TINT, "pushed": TINT2, "disabled": (0xF5, 0xF5, 0xF5)}
        border = THEME if state != "disabled" else DISABLED
        fill_rounded(ctx, 0, 0, w, h, r, fill[state])
        stroke_rounded(ctx, 0, 0, w, h, r, border)
    return draw


def title_button(glyph):
    def draw(ctx, w, h, state):
        if state in ("hot", "pushed"):
            ctx.arc(w / 2.0, h / 2.0, w / 2.0, 0, 2 * math.pi)
            ctx.set_source_rgba(*rgb(THEME, 0.14 if state == "hot" else 0.26))
            ctx.fill()
        colour = {"normal": GREY, "hot": THEME, "pushed": THEME_DARK, "disabled": DISABLED}[state]
        ctx.set_source_rgba(*rgb(colour))
        ctx.set_line_width(1.6)
        ctx.set_line_cap(cairo.LINE_CAP_ROUND)
        m = w * 0.32
        if glyph == "close":
            ctx.move_to(m, m)
            ctx.line_to(w - m, h - m)
            ctx.move_to(w - m, m)
            ctx.line_to(m, h - m)
        else:
            ctx.move_to(m, h / 2.0)
            ctx.line_to(w - m, h / 2.0)
        ctx.stroke()
    return draw


# --- check boxes, options, combo -------------------------------------------------------------
def checkbox(state):
    s, ctx = surface(16, 16)
    if state == "selected":
        fill_rounded(ctx, 0, 0, 16, 16, 3.5, THEME)
        ctx.set_source_rgba(1, 1, 1, 1)
        ctx.set_line_width(1.9)
        ctx.set_line_cap(cairo.LINE_CAP_ROUND)
        ctx.set_line_join(cairo.LINE_JOIN_ROUND)
        ctx.move_to(4.2, 8.3)
        ctx.line_to(7.0, 11.0)
        ctx.line_to(12.0, 5.2)
        ctx.stroke()
    else:
        fill = {"normal": WHITE, "hot": WHITE, "pushed": TINT2}[state]
        border = {"normal": (0xC4, 0xC0, 0xD8), "hot": THEME, "pushed": THEME}[state]
        fill_rounded(ctx, 0, 0, 16, 16, 3.5, fill)
        stroke_rounded(ctx, 0, 0, 16, 16, 3.5, border)
    return s


def option(selected):
    s, ctx = surface(16, 16)
    ctx.arc(8, 8, 7.5, 0, 2 * math.pi)
    ctx.set_source_rgba(*rgb(WHITE))
    ctx.fill()
    ctx.arc(8, 8, 7.0, 0, 2 * math.pi)
    ctx.set_line_width(1.0)
    ctx.set_source_rgba(*rgb(THEME if selected else (0xC4, 0xC0, 0xD8)))
    ctx.stroke()
    if selected:
        ctx.arc(8, 8, 4.0, 0, 2 * math.pi)
        ctx.set_source_rgba(*rgb(THEME))
        ctx.fill()
    return s


def combo(hot, w=240, h=28):
    s, ctx = surface(w, h)
    fill_rounded(ctx, 0, 0, w, h, 4, WHITE)
    stroke_rounded(ctx, 0, 0, w, h, 4, THEME if hot else (0xDC, 0xD8, 0xF0))
    ctx.set_source_rgba(*rgb(THEME if hot else GREY))
    ctx.set_line_width(1.6)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    cx, cy = w - 16, h / 2.0
    ctx.move_to(cx - 4.5, cy - 2)
    ctx.line_to(cx, cy + 2.5)
    ctx.line_to(cx + 4.5, cy - 2)
    ctx.stroke()
    return s


# --- progress --------------------------------------------------------------------------------
def img_bkprogress(w=590, h=6):
    s, ctx = surface(w, h)
    fill_rounded(ctx, 0, 0, w, h, h / 2.0, TINT2)
    return s


def img_progress(w=590, h=6):
    s, ctx = surface(w, h)
    rounded(ctx, 0, 0, w, h, h / 2.0)
    ctx.set_source(theme_gradient(0, 0, w, 0))
    ctx.fill()
    return s


def img_bar(w=120, h=6):
    s, ctx = surface(w, h)
    g = cairo.LinearGradient(0, 0, w, 0)
    g.add_color_stop_rgba(0, 1, 1, 1, 0)
    g.add_color_stop_rgba(0.7, 1, 1, 1, 0.55)
    g.add_color_stop_rgba(1, 1, 1, 1, 0)
    rounded(ctx, 0, 0, w, h, h / 2.0)
    ctx.set_source(g)
    ctx.fill()
    return s


# --- message icons ---------------------------------------------------------------------------
def round_icon(colour, glyph, size=20):
    s, ctx = surface(size, size)
    c = size / 2.0
    ctx.arc(c, c, c, 0, 2 * math.pi)
    ctx.set_source_rgba(*rgb(colour))
    ctx.fill()
    ctx.set_source_rgba(1, 1, 1, 1)
    if glyph == "!":
        ctx.set_line_width(size * 0.12)
        ctx.set_line_cap(cairo.LINE_CAP_ROUND)
        ctx.move_to(c, size * 0.27)
        ctx.line_to(c, size * 0.58)
        ctx.stroke()
        ctx.arc(c, size * 0.75, size * 0.07, 0, 2 * math.pi)
        ctx.fill()
    else:
        ctx.set_line_width(size * 0.11)
        ctx.set_line_cap(cairo.LINE_CAP_ROUND)
        ctx.arc(c, size * 0.40, size * 0.15, math.radians(200), math.radians(420))
        ctx.line_to(c, size * 0.60)
        ctx.stroke()
        ctx.arc(c, size * 0.77, size * 0.065, 0, 2 * math.pi)
        ctx.fill()
    return s


def img_warning(size=16):
    s, ctx = surface(size, size)
    ctx.move_to(size / 2.0, 1)
    ctx.line_to(size - 0.5, size - 1.5)
    ctx.line_to(0.5, size - 1.5)
    ctx.close_path()
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    ctx.set_line_width(1.5)
    ctx.set_source_rgba(*rgb(WARM))
    ctx.fill_preserve()
    ctx.stroke()
    ctx.set_source_rgba(1, 1, 1, 1)
    ctx.set_line_width(1.8)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.move_to(size / 2.0, 6)
    ctx.line_to(size / 2.0, 10)
    ctx.stroke()
    ctx.arc(size / 2.0, 12.4, 1.0, 0, 2 * math.pi)
    ctx.fill()
    return s


# --- banners of the running page -------------------------------------------------------------
def banner_base(ctx, w, h):
    g = cairo.LinearGradient(0, 0, 0, h)
    g.add_color_stop_rgba(0, *rgb(WHITE))
    g.add_color_stop_rgba(0.32, *rgb(WHITE))
    g.add_color_stop_rgba(1, *rgb(mix(TINT, WHITE, 0.1)))
    ctx.set_source(g)
    ctx.paint()
    soft_circle(ctx, w / 2.0, 200, 260, THEME, 0.10)


def card(ctx, x, y, w, h, label, colour, label_size=13):
    fill_rounded(ctx, x + 2, y + 4, w, h, 10, THEME, 0.10)
    fill_rounded(ctx, x, y, w, h, 10, WHITE)
    stroke_rounded(ctx, x, y, w, h, 10, LINE)
    fill_rounded(ctx, x + 10, y + 10, w - 20, h * 0.45, 6, colour, 0.9)
    # tiny play glyph on the thumbnail
    cx, cy = x + w / 2.0, y + 10 + h * 0.225
    ctx.move_to(cx - 5, cy - 7)
    ctx.line_to(cx + 7, cy)
    ctx.line_to(cx - 5, cy + 7)
    ctx.close_path()
    ctx.set_source_rgba(1, 1, 1, 0.95)
    ctx.fill()
    text(ctx, label, x + w / 2.0, y + h - 14, label_size, INK, align="center")


def arrow(ctx, x0, y, x1):
    ctx.set_source(theme_gradient(x0, y, x1, y))
    ctx.set_line_width(5)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.move_to(x0, y)
    ctx.line_to(x1 - 8, y)
    ctx.stroke()
    ctx.move_to(x1, y)
    ctx.line_to(x1 - 14, y - 10)
    ctx.line_to(x1 - 14, y + 10)
    ctx.close_path()
    ctx.fill()


def format_chip(ctx, x, y, label, colour):
    fill_rounded(ctx, x + 2, y + 4, 150, 40, 10, THEME, 0.10)
    fill_rounded(ctx, x, y, 150, 40, 10, WHITE)
    stroke_rounded(ctx, x, y, 150, 40, 10, LINE)
    fill_rounded(ctx, x + 8, y + 8, 24, 24, 6, colour)
    ctx.move_to(x + 16, y + 13)
    ctx.line_to(x + 26, y + 20)
    ctx.line_to(x + 16, y + 27)
    ctx.close_path()
    ctx.set_source_rgba(1, 1, 1, 1)
    ctx.fill()
    text(ctx, label, x + 44, y + 26, 14, INK)
    fill_rounded(ctx, x + 100, y + 17, 36, 6, 3, TINT2)


def banner_convert(ctx, w, h):
    card(ctx, 130, 118, 140, 140, "MOV", THEME_DARK, 15)
    arrow(ctx, 296, 188, 372)
    for i, (label, colour) in enumerate((("MP4", THEME), ("MKV", WARM),
                                         ("AVI", mix(THEME, (0x2E, 0xC4, 0xB6), 0.6)))):
        format_chip(ctx, 398, 122 + i * 48, label, colour)


def banner_speed(ctx, w, h):
    cx, cy, r = 325, 232, 110
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_line_width(14)
    ctx.set_source_rgba(*rgb(TINT2))
    ctx.arc(cx, cy, r, math.pi, 2 * math.pi)
    ctx.stroke()
    ctx.set_source(theme_gradient(cx - r, cy, cx + r, cy))
    ctx.arc(cx, cy, r, math.pi, math.pi * 1.82)
    ctx.stroke()
    for i in range(11):
        a = math.pi + i * math.pi / 10
        ctx.move_to(cx + (r - 26) * math.cos(a), cy + (r - 26) * math.sin(a))
        ctx.line_to(cx + (r - 34) * math.cos(a), cy + (r - 34) * math.sin(a))
        ctx.set_line_width(2)
        ctx.set_source_rgba(*rgb(GREY, 0.7))
        ctx.stroke()
    a = math.pi * 1.78
    ctx.set_line_width(5)
    ctx.set_source_rgba(*rgb(INK))
    ctx.move_to(cx, cy)
    ctx.line_to(cx + (r - 40) * math.cos(a), cy + (r - 40) * math.sin(a))
    ctx.stroke()
    ctx.arc(cx, cy, 10, 0, 2 * math.pi)
    ctx.set_source(theme_gradient(cx - 10, cy - 10, cx + 10, cy + 10))
    ctx.fill()
    # lightning bolt
    bx, by = 470, 120
    ctx.move_to(bx + 22, by)
    ctx.line_to(bx, by + 44)
    ctx.line_to(bx + 18, by + 44)
    ctx.line_to(bx + 8, by + 84)
    ctx.line_to(bx + 40, by + 32)
    ctx.line_to(bx + 22, by + 32)
    ctx.line_to(bx + 34, by)
    ctx.close_path()
    ctx.set_source_rgba(*rgb(WARM))
    ctx.fill()
    for i, length in enumerate((70, 52, 36)):
        fill_rounded(ctx, 120, 150 + i * 22, length, 8, 4, THEME, 0.35 - i * 0.08)


def banner_edit(ctx, w, h):
    x, y, fw, fh = 140, 128, 370, 96
    fill_rounded(ctx, x + 3, y + 5, fw, fh, 12, THEME, 0.12)
    fill_rounded(ctx, x, y, fw, fh, 12, INK)
    for i in range(12):
        fill_rounded(ctx, x + 12 + i * 30, y + 6, 16, 9, 2, WHITE, 0.85)
        fill_rounded(ctx, x + 12 + i * 30, y + fh - 15, 16, 9, 2, WHITE, 0.85)
    for i in range(4):
        colour = mix(THEME, (0x2E, 0xC4, 0xB6), i / 4.0)
        fill_rounded(ctx, x + 14 + i * 88, y + 22, 80, 52, 5, colour, 0.95)
    # trim selection with handles
    sx0, sx1 = x + 100, x + 272
    ctx.set_source_rgba(*rgb(WARM))
    ctx.set_line_width(4)
    ctx.rectangle(sx0, y - 6, sx1 - sx0, fh + 12)
    ctx.stroke()
    for sx in (sx0, sx1):
        fill_rounded(ctx, sx - 7, y + fh / 2.0 - 18, 14, 36, 5, WARM)
        ctx.set_source_rgba(1, 1, 1, 1)
        ctx.set_line_width(2)
        ctx.move_to(sx, y + fh / 2.0 - 9)
        ctx.line_to(sx, y + fh / 2.0 + 9)
        ctx.stroke()
    # timeline
    fill_rounded(ctx, x, y + fh + 28, fw, 6, 3, TINT2)
    fill_rounded(ctx, x, y + fh + 28, fw * 0.46, 6, 3, THEME)
    ctx.arc(x + fw * 0.46, y + fh + 31, 8, 0, 2 * math.pi)
    ctx.set_source_rgba(*rgb(WHITE))
    ctx.fill_preserve()
    ctx.set_line_width(3)
    ctx.set_source_rgba(*rgb(THEME))
    ctx.stroke()


def device(ctx, x, y, w, h, r, bezel):
    fill_rounded(ctx, x + 3, y + 5, w, h, r, THEME, 0.12)
    fill_rounded(ctx, x, y, w, h, r, INK)
    rounded(ctx, x + bezel, y + bezel, w - 2 * bezel, h - 2 * bezel, max(2, r - bezel))
    ctx.set_source(theme_gradient(x, y, x + w, y + h))
    ctx.fill()
    cx, cy = x + w / 2.0, y + h / 2.0
    t = min(w, h) * 0.14
    ctx.move_to(cx - t * 0.6, cy - t)
    ctx.line_to(cx + t, cy)
    ctx.line_to(cx - t * 0.6, cy + t)
    ctx.close_path()
    ctx.set_source_rgba(1, 1, 1, 0.95)
    ctx.fill()


def banner_devices(ctx, w, h):
    # television
    device(ctx, 190, 110, 230, 138, 10, 8)
    fill_rounded(ctx, 285, 248, 40, 14, 3, INK)
    fill_rounded(ctx, 255, 260, 100, 6, 3, INK)
    # tablet
    device(ctx, 400, 150, 96, 120, 10, 7)
    # phone
    device(ctx, 150, 170, 56, 100, 10, 5)


BANNERS = (banner_convert, banner_speed, banner_edit, banner_devices)


def img_banner(index, w=650, h=300):
    s, ctx = surface(w, h)
    banner_base(ctx, w, h)
    BANNERS[index](ctx, w, h)
    return s


# --- waiting animation -----------------------------------------------------------------------
FRAMES = 21


def img_frame(i, w=320, h=320):
    """A ring around the product mark with a sweeping arc and one orbiting spark."""
    s, ctx = surface(w, h)
    cx, cy, r = 160, 128, 52
    ctx.set_line_width(4)
    ctx.set_source_rgba(*rgb(TINT2))
    ctx.arc(cx, cy, r, 0, 2 * math.pi)
    ctx.stroke()
    start = -math.pi / 2 + 2 * math.pi * i / FRAMES
    sweep = math.pi * (0.55 + 0.35 * math.sin(2 * math.pi * i / FRAMES))
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_source(theme_gradient(cx - r, cy - r, cx + r, cy + r))
    ctx.arc(cx, cy, r, start, start + sweep)
    ctx.stroke()
    a = start + sweep
    ctx.arc(cx + r * math.cos(a), cy + r * math.sin(a), 4.5, 0, 2 * math.pi)
    ctx.set_source_rgba(*rgb(THEME_DARK))
    ctx.fill()
    return s


# --- scroll bars -----------------------------------------------------------------------------
def img_scrollbar():
    """9x9 cells on magenta: columns normal/hot/pushed/disabled at x = 0, 11, 22, 33; rows up,
    down, thumb, rail, background for the vertical bar, then the same for the horizontal one."""
    w, h = 42, 108
    s, ctx = surface(w, h)
    ctx.set_antialias(cairo.ANTIALIAS_NONE)
    ctx.set_source_rgba(1, 0, 1, 1)
    ctx.paint()
    thumb = {"normal": (0xD5, 0xD0, 0xFF), "hot": (0xA9, 0x9F, 0xFF), "pushed": THEME,
             "disabled": (0xE6, 0xE6, 0xE6)}
    rail = {"normal": (0xC4, 0xBC, 0xFF), "hot": (0x96, 0x89, 0xFF), "pushed": THEME_DARK,
            "disabled": (0xDA, 0xDA, 0xDA)}
    bk = {"normal": (0xF6, 0xF5, 0xFC), "hot": (0xF1, 0xEF, 0xFC), "pushed": (0xEC, 0xEA, 0xFA),
          "disabled": (0xF6, 0xF6, 0xF6)}
    arrow_c = {"normal": GREY, "hot": THEME, "pushed": THEME_DARK, "disabled": DISABLED}
    for col, state in enumerate(STATES):
        x = col * 11
        for block in (0, 55):
            horizontal = block == 55
            for row, part in enumerate(("button1", "button2", "thumb", "rail", "bk")):
                y = block + row * 11
                if part in ("button1", "button2"):
                    ctx.rectangle(x, y, 9, 9)
                    ctx.set_source_rgba(*rgb(bk[state]))
                    ctx.fill()
                    ctx.set_source_rgba(*rgb(arrow_c[state]))
                    pts = _arrow_points(part == "button1", horizontal)
                    ctx.move_to(x + pts[0][0], y + pts[0][1])
                    for px, py in pts[1:]:
                        ctx.line_to(x + px, y + py)
                    ctx.close_path()
                    ctx.fill()
                else:
                    colour = {"thumb": thumb, "rail": rail, "bk": bk}[part][state]
                    # 2-pixel corners stay magenta so the nine-patch keeps a rounded look
                    ctx.rectangle(x + 2, y, 5, 9)
                    ctx.rectangle(x, y + 2, 9, 5)
                    ctx.rectangle(x + 1, y + 1, 7, 7)
                    ctx.set_source_rgba(*rgb(colour))
                    ctx.fill()
    return s


def _arrow_points(first, horizontal):
    if not horizontal:
        return [(4.5, 2), (7.5, 6.5), (1.5, 6.5)] if first else [(4.5, 7), (7.5, 2.5), (1.5, 2.5)]
    return [(2, 4.5), (6.5, 1.5), (6.5, 7.5)] if first else [(7, 4.5), (2.5, 1.5), (2.5, 7.5)]


def write_bmp(s, path):
    """scrollbar.bmp is a 24-bit BMP (no alpha: magenta marks what is transparent)."""
    with tempfile.NamedTemporaryFile(suffix=".png", delete=False) as tmp:
        s.write_to_png(tmp.name)
    try:
        subprocess.run(["convert", tmp.name, "-alpha", "off", "-type", "TrueColor",
                        "BMP3:" + path], check=True)
    finally:
        os.unlink(tmp.name)


# --- the package's picture table -------------------------------------------------------------
def pictures():
    table = {
        "skin/backgroud.png": img_background,
        "skin/backgroud_complete.png": img_background_complete,
        "skin/backgroud_nologo.png": img_background_nologo,
        "skin/bg_bottom.png": img_bg_bottom,
        "skin/bg_message.png": img_bg_message,
        "skin/bg_setting.png": img_bg_setting,
        "skin/waiting.png": img_waiting,
        "skin/logo.png": lambda: img_logo(80),
        "skin/logo_left_top.png": img_logo_left_top,
        "skin/logo_running.png": lambda: img_logo(64),
        "skin/btn_browse.png": lambda: sprite(110, 28, outline_pill(0.5)),
        "skin/btn_install.png": lambda: sprite(200, 46, solid_pill),
        "skin/btn_min.png": lambda: sprite(72, 28, outline_pill(0.5)),
        "skin/btn_no.png": lambda: sprite(130, 36, outline_pill(0.5)),
        "skin/btn_start_now.png": lambda: sprite(200, 46, solid_pill),
        "skin/btn_yes.png": lambda: sprite(196, 36, solid_pill),
        "skin/button_close.png": lambda: sprite(20, 20, title_button("close")),
        "skin/button_min.png": lambda: sprite(20, 20, title_button("min")),
        "skin/checkbox_h.png": lambda: checkbox("hot"),
        "skin/checkbox_normal.png": lambda: checkbox("normal"),
        "skin/checkbox_p.png": lambda: checkbox("pushed"),
        "skin/checkbox_selected.png": lambda: checkbox("selected"),
        "skin/OptionNormal.png": lambda: option(False),
        "skin/OptionSelected.png": lambda: option(True),
        "skin/Combo_nor.png": lambda: combo(False),
        "skin/combo_over.png": lambda: combo(True),
        "skin/bar.png": img_bar,
        "skin/bkprogress.png": img_bkprogress,
        "skin/progress.png": img_progress,
        "skin/message_exclamation.png": lambda: round_icon(WARM, "!"),
        "skin/message_help.png": lambda: round_icon(THEME, "?"),
        "skin/message_warn.png": lambda: round_icon(THEME, "!"),
        "skin/warning.png": img_warning,
    }
    for i in range(4):
        table[f"skin/anima/{i + 1}.png"] = (lambda i=i: img_banner(i))
    for i in range(FRAMES):
        table[f"skin/gif/bg{i:02d}.png"] = (lambda i=i: img_frame(i))
    return table


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = os.path.normpath(os.path.join(here, "..", ".."))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--skin", default=os.path.join(root, "res", "skin"))
    parser.add_argument("--icon", default=os.path.join(root, "res", "icon"))
    args = parser.parse_args()

    global SCALE
    for SCALE in (1, 2):
        for rel, draw in pictures().items():
            path = os.path.join(args.skin, rel)
            if SCALE > 1:
                stem, ext = os.path.splitext(path)
                path = f"{stem}@{SCALE}x{ext}"
            os.makedirs(os.path.dirname(path), exist_ok=True)
            draw().write_to_png(path)
    SCALE = 1
    write_bmp(img_scrollbar(), os.path.join(args.skin, "scrollbar.bmp"))
    os.makedirs(args.icon, exist_ok=True)
    for size in (16, 32, 48, 256):
        img_logo(size).write_to_png(os.path.join(args.icon, f"cvdownloader_{size}.png"))
    print(f"skin-art: {len(pictures()) + 1} pictures (and @2x variants) in {args.skin}, "
          f"icons in {args.icon}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
