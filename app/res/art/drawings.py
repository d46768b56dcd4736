"""Every picture of the program as SVG, drawn on its pixel grid so that it is crisp at 100 %
and, as vector art, at 150 %. DRAWINGS maps the names of widgets/picture_ids.h to a function
returning (width, height, svg markup, shown on dark) ; colours come only from the palette."""

import math

from palette import PALETTE as P


def svg(w, h, body, defs=""):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" '
            f'viewBox="0 0 {w} {h}"><defs>{defs}</defs>{body}</svg>')


def stroke(colour, width, cap="round"):
    return (f'fill="none" stroke="{colour}" stroke-width="{width}" stroke-linecap="{cap}" '
            f'stroke-linejoin="round"')


SHADOW = ('<filter id="shadow" x="-50%" y="-50%" width="200%" height="200%">'
          '<feGaussianBlur in="SourceAlpha" stdDeviation="0.9"/>'
          '<feOffset dx="0" dy="0.5" result="blur"/>'
          '<feComponentTransfer><feFuncA type="linear" slope="0.55"/></feComponentTransfer>'
          '<feMerge><feMergeNode/><feMergeNode in="SourceGraphic"/></feMerge></filter>')


# --- title-bar buttons: 34 x 34, a glyph on a round wash when hot ------------------------------

def title_button(glyph, state):
    colour = {"normal": P["glyph"], "hover": P["accent"], "pressed": P["accent_dark"]}[state]
    wash = {"normal": None, "hover": P["accent_tint"], "pressed": P["accent_tint_strong"]}[state]
    body = f'<circle cx="17" cy="17" r="14" fill="{wash}"/>' if wash else ""
    return 34, 34, svg(34, 34, body + glyph(colour)), False


def close_glyph(c):
    return f'<path d="M12.5 12.5 L21.5 21.5 M21.5 12.5 L12.5 21.5" {stroke(c, 1.6)}/>'


def minimise_glyph(c):
    return f'<rect x="11" y="16" width="12" height="2" rx="1" fill="{c}"/>'


def gear_glyph(c):
    teeth, outer, inner, hole = 8, 7.5, 5.6, 2.6
    pts = []
    for i in range(teeth * 4):
        a = 2 * math.pi * i / (teeth * 4) - math.pi / 2
        r = outer if (i % 4) in (1, 2) else inner
        pts.append(f"{17 + r * math.cos(a):.2f},{17 + r * math.sin(a):.2f}")
    ring = (f'M{17 + hole} 17 A{hole} {hole} 0 1 0 {17 - hole} 17 '
            f'A{hole} {hole} 0 1 0 {17 + hole} 17 Z')
    return f'<path d="M{" L".join(pts)} Z {ring}" fill="{c}" fill-rule="evenodd"/>'


# --- connect button: 96 x 36 ---------------------------------------------------------------

def connect_button(state):
    fill = {"normal": P["accent"], "hover": P["accent_light"], "pressed": P["accent_dark"]}[state]
    return 96, 36, svg(96, 36, f'<rect x="0" y="0" width="96" height="36" rx="4" fill="{fill}"/>'), False


def disconnect_button(state):
    fill = {"normal": P["surface"], "hover": P["accent_tint"], "pressed": P["accent_tint_strong"]}[state]
    edge = {"normal": P["line_strong"], "hover": P["accent_light"], "pressed": P["accent_dark"]}[state]
    return 96, 36, svg(96, 36, f'<rect x="0.5" y="0.5" width="95" height="35" rx="3.5" '
                               f'fill="{fill}" stroke="{edge}"/>'), False


def connect_icon(colour, stop=False):
    """A ring with a start triangle (connect) or a stop square (disconnect)."""
    ring = f'<circle cx="8" cy="8" r="6.25" {stroke(colour, 1.5)}/>'
    glyph = (f'<rect x="5.5" y="5.5" width="5" height="5" rx="0.8" fill="{colour}"/>' if stop else
             f'<path d="M6.5 5 L11 8 L6.5 11 Z" fill="{colour}" stroke="{colour}" '
             f'stroke-width="0.8" stroke-linejoin="round"/>')
    return 16, 16, svg(16, 16, ring + glyph), colour == P["on_accent"]


def spinner_icon():
    c = P["on_accent"]
    return 16, 16, svg(16, 16, f'<circle cx="8" cy="8" r="6.25" fill="none" stroke="{c}" '
                               f'stroke-opacity="0.35" stroke-width="1.5"/>'
                               f'<path d="M8 1.75 A6.25 6.25 0 0 1 14.25 8" {stroke(c, 1.5)}/>'), True


# --- combo arrows: 12 x 8 --------------------------------------------------------------------

def chevron(up, hot):
    c = P["accent"] if hot else P["glyph"]
    d = "M2 6 L6 2.5 L10 6" if up else "M2 2 L6 5.5 L10 2"
    return 12, 8, svg(12, 8, f'<path d="{d}" {stroke(c, 1.5)}/>'), False


# --- links: 16 x 16 --------------------------------------------------------------------------

LINK_STATES = {"normal": "link", "hover": "accent", "pressed": "accent_dark",
               "disabled": "link_disabled"}


def refresh_icon(state):
    c = P[LINK_STATES[state]]
    return 16, 16, svg(16, 16, f'<path d="M13 8 A5 5 0 1 1 11.5 4.4" {stroke(c, 1.6)}/>'
                               f'<path d="M12.6 1.6 L12.6 5.2 L9 5.2" {stroke(c, 1.6)}/>'), False


def help_icon(state):
    c = P[LINK_STATES[state]]
    return 16, 16, svg(16, 16, f'<circle cx="8" cy="8" r="6.2" {stroke(c, 1.4)}/>'
                               f'<path d="M6.1 6.4 A1.95 1.95 0 1 1 8.9 8.1 C8.2 8.5 8 8.9 8 9.6" '
                               f'{stroke(c, 1.4)}/><circle cx="8" cy="11.7" r="0.95" fill="{c}"/>'), False


# --- preview overlay icons: 18 x 18, white on the video ------------------------------------------

OVERLAY_STATES = {"normal": "on_accent", "hover": "accent_light", "pressed": "accent_dark"}


def overlay(glyph, state):
    c = P[OVERLAY_STATES[state]]
    return 18, 18, svg(18, 18, f'<g filter="url(#shadow)">{glyph(c)}</g>', SHADOW), state == "normal"


def flip_vertical_glyph(c):
    return (f'<path d="M4 7 L9 2.5 L14 7 Z" fill="none" stroke="{c}" stroke-width="1.4" '
            f'stroke-linejoin="round"/><path d="M4 11 L9 15.5 L14 11 Z" fill="{c}" stroke="{c}" '
            f'stroke-width="1.4" stroke-linejoin="round"/>'
            f'<path d="M2 9 L16 9" stroke="{c}" stroke-width="1" stroke-dasharray="2 1.5"/>')


def flip_horizontal_glyph(c):
    return f'<g transform="rotate(90 9 9)">{flip_vertical_glyph(c)}</g>'


def device_glyph(c, portrait):
    w, h = (9, 14) if portrait else (14, 9)
    x, y = (18 - w) / 2, (18 - h) / 2
    dot = (f'<circle cx="9" cy="{y + h - 2.2}" r="0.9" fill="{c}"/>' if portrait else
           f'<circle cx="{x + w - 2.2}" cy="9" r="0.9" fill="{c}"/>')
    return (f'<rect x="{x}" y="{y}" width="{w}" height="{h}" rx="1.8" {stroke(c, 1.5)}/>' + dot)


# --- panel built-ins ---------------------------------------------------------------------------

PANEL_STATES = {"normal": None, "hover": "accent_light", "pressed": "accent_dark"}


def back_arrow(state):
    c = P[PANEL_STATES[state] or "back_icon"]
    return 22, 22, svg(22, 22, f'<path d="M13.5 5 L7.5 11 L13.5 17" {stroke(c, 1.8)}/>'), False


def reset_arrows(state):
    c = P[PANEL_STATES[state] or "reset_icon"]
    return 22, 22, svg(22, 22,
                       f'<path d="M17.5 9.5 A6.8 6.8 0 0 0 5.2 7.2" {stroke(c, 1.6)}/>'
                       f'<path d="M4.6 3.8 L4.8 7.6 L8.6 7.3" {stroke(c, 1.6)}/>'
                       f'<path d="M4.5 12.5 A6.8 6.8 0 0 0 16.8 14.8" {stroke(c, 1.6)}/>'
                       f'<path d="M17.4 18.2 L17.2 14.4 L13.4 14.7" {stroke(c, 1.6)}/>'), False


def circle_mask():
    return 68, 68, svg(68, 68, f'<path d="M0 0 H68 V68 H0 Z M34 0 A34 34 0 1 0 34 68 '
                               f'A34 34 0 1 0 34 0 Z" fill="{P["surface"]}" fill-rule="evenodd"/>'), True


def edit_mark():
    c = P["on_accent"]
    return 36, 36, svg(36, 36, f'<g transform="rotate(45 18 18)">'
                               f'<rect x="15" y="7" width="6" height="18" rx="1" fill="{c}"/>'
                               f'<path d="M15 26.5 L21 26.5 L18 31 Z" fill="{c}"/>'
                               f'<rect x="15" y="4" width="6" height="2" rx="1" fill="{c}"/></g>'), True


def decor_frame():
    return 68, 68, svg(68, 68, f'<rect x="1" y="1" width="66" height="66" rx="8" '
                               f'{stroke(P["accent"], 2)}/>'), False


def check_mark():
    return 36, 36, svg(36, 36, f'<path d="M9.5 18.5 L15.5 24.5 L26.5 12" '
                               f'{stroke(P["on_accent"], 3)}/>'), True


def adjust_mark():
    c = P["on_accent"]
    return 36, 36, svg(36, 36, f'<path d="M5 18 H11.5 M24.5 18 H31" {stroke(c, 2.5)}/>'
                               f'<circle cx="18" cy="18" r="5" {stroke(c, 2.5)}/>'), True


def slider_thumb():
    body = (f'<circle cx="8" cy="8.4" r="6.6" fill="{P["shadow"]}" fill-opacity="0.12"/>'
            f'<circle cx="8" cy="8" r="6.5" fill="{P["surface"]}" stroke="{P["accent"]}" '
            f'stroke-width="1.5"/><circle cx="8" cy="8" r="2" fill="{P["accent"]}"/>')
    return 16, 16, svg(16, 16, body), False


def scroll_thumb(state):
    c = {"normal": P["thumb"], "hover": P["thumb_hover"], "pressed": P["accent"]}[state]
    # A 6-pixel pill; the nine-part insets keep its rounded ends (top 4, bottom 14 rows).
    return 10, 24, svg(10, 24, f'<rect x="2" y="0" width="6" height="24" rx="3" fill="{c}"/>'), False


# --- logo, background, settings dialog -----------------------------------------------------------

def logo_body(size):
    """The product mark: a camera lens on a pink rounded square, simplified at small sizes."""
    s = size / 68.0
    grad = ('<linearGradient id="logo" x1="0" y1="0" x2="0" y2="1">'
            f'<stop offset="0" stop-color="{P["accent_light"]}"/>'
            f'<stop offset="1" stop-color="{P["accent_dark"]}"/></linearGradient>')
    white = P["on_accent"]
    ring = max(5 * s, 1.6)
    body = (f'<rect x="0" y="0" width="{size}" height="{size}" rx="{16 * s:.2f}" fill="url(#logo)"/>'
            f'<circle cx="{34 * s:.2f}" cy="{36 * s:.2f}" r="{15 * s:.2f}" fill="none" '
            f'stroke="{white}" stroke-width="{ring:.2f}"/>')
    if size >= 24:
        body += (f'<circle cx="{34 * s:.2f}" cy="{36 * s:.2f}" r="{5 * s:.2f}" fill="{white}"/>'
                 f'<rect x="{44 * s:.2f}" y="{12 * s:.2f}" width="{10 * s:.2f}" '
                 f'height="{5 * s:.2f}" rx="{2.5 * s:.2f}" fill="{white}"/>')
    else:
        body += f'<circle cx="{34 * s:.2f}" cy="{36 * s:.2f}" r="{5.5 * s:.2f}" fill="{white}"/>'
    return grad, body


def logo(size=68):
    defs, body = logo_body(size)
    return size, size, svg(size, size, body, defs), False


FONT = "WenQuanYi Micro Hei, sans-serif"


def main_background():
    defs, mark = logo_body(28)
    body = (f'<rect width="728" height="646" fill="{P["surface"]}"/>'
            f'<g transform="translate(16 19)">{mark}</g>'
            f'<text x="54" y="39" font-family="{FONT}" font-size="18" '
            f'fill="{P["text_title"]}">Velloria</text>'
            f'<rect x="0" y="66" width="728" height="1" fill="{P["line"]}"/>'
            f'<rect x="0" y="589" width="728" height="1" fill="{P["line"]}"/>')
    return 728, 646, svg(728, 646, body, defs), False


def about_name():
    return 160, 32, svg(160, 32, f'<text x="80" y="25" text-anchor="middle" font-family="{FONT}" '
                                 f'font-size="24" fill="{P["text_title"]}">Velloria</text>'), False


def about_slogan():
    return 240, 20, svg(240, 20, f'<text x="120" y="15" text-anchor="middle" font-family="{FONT}" '
                                 f'font-size="13" fill="{P["text_muted"]}">'
                                 f'手机秒变高清摄像头，直播更美</text>'), False


DRAWINGS = {
    "kSliderThumb": slider_thumb,
    "kBackArrowNormal": lambda: back_arrow("normal"),
    "kBackArrowHover": lambda: back_arrow("hover"),
    "kBackArrowPressed": lambda: back_arrow("pressed"),
    "kResetNormal": lambda: reset_arrows("normal"),
    "kResetHover": lambda: reset_arrows("hover"),
    "kResetPressed": lambda: reset_arrows("pressed"),
    "kCircleMask": circle_mask,
    "kEditMark": edit_mark,
    "kDecorFrame": decor_frame,
    "kCheckMark": check_mark,
    "kAdjustMark": adjust_mark,
    "kHelpIconNormal": lambda: help_icon("normal"),
    "kHelpIconHover": lambda: help_icon("hover"),
    "kHelpIconPressed": lambda: help_icon("pressed"),
    "kScrollThumbHover": lambda: scroll_thumb("hover"),
    "kScrollThumbPressed": lambda: scroll_thumb("pressed"),
    "kScrollThumbNormal": lambda: scroll_thumb("normal"),
    "kMainBackground": main_background,
    "kConnectHover": lambda: connect_button("hover"),
    "kConnectPressed": lambda: connect_button("pressed"),
    "kConnectNormal": lambda: connect_button("normal"),
    "kCloseHover": lambda: title_button(close_glyph, "hover"),
    "kClosePressed": lambda: title_button(close_glyph, "pressed"),
    "kCloseNormal": lambda: title_button(close_glyph, "normal"),
    "kMinimiseNormal": lambda: title_button(minimise_glyph, "normal"),
    "kMinimiseHover": lambda: title_button(minimise_glyph, "hover"),
    "kMinimisePressed": lambda: title_button(minimise_glyph, "pressed"),
    "kDisconnectHover": lambda: disconnect_button("hover"),
    "kDisconnectPressed": lambda: disconnect_button("pressed"),
    "kDisconnectNormal": lambda: disconnect_button("normal"),
    "kComboArrowOpen": lambda: chevron(True, False),
    "kComboArrowOpenHot": lambda: chevron(True, True),
    "kComboArrowClosedHot": lambda: chevron(False, True),
    "kComboArrowClosed": lambda: chevron(False, False),
    "kRefreshHover": lambda: refresh_icon("hover"),
    "kRefreshPressed": lambda: refresh_icon("pressed"),
    "kRefreshNormal": lambda: refresh_icon("normal"),
    "kRefreshDisabled": lambda: refresh_icon("disabled"),
    "kFlipVerticalNormal": lambda: overlay(flip_vertical_glyph, "normal"),
    "kFlipVerticalHover": lambda: overlay(flip_vertical_glyph, "hover"),
    "kFlipVerticalPressed": lambda: overlay(flip_vertical_glyph, "pressed"),
    "kToLandscapeHover": lambda: overlay(lambda c: device_glyph(c, False), "hover"),
    "kToLandscapePressed": lambda: overlay(lambda c: device_glyph(c, False), "pressed"),
    "kToLandscapeNormal": lambda: overlay(lambda c: device_glyph(c, False), "normal"),
    "kToPortraitNormal": lambda: overlay(lambda c: device_glyph(c, True), "normal"),
    "kToPortraitHover": lambda: overlay(lambda c: device_glyph(c, True), "hover"),
    "kToPortraitPressed": lambda: overlay(lambda c: device_glyph(c, True), "pressed"),
    "kFlipHorizontalNormal": lambda: overlay(flip_horizontal_glyph, "normal"),
    "kFlipHorizontalHover": lambda: overlay(flip_horizontal_glyph, "hover"),
    "kFlipHorizontalPressed": lambda: overlay(flip_horizontal_glyph, "pressed"),
    "kAboutName": about_name,
    "kAboutSlogan": about_slogan,
    "kAboutLogo": logo,
    "kSettingsHover": lambda: title_button(gear_glyph, "hover"),
    "kSettingsPressed": lambda: title_button(gear_glyph, "pressed"),
    "kSettingsNormal": lambda: title_button(gear_glyph, "normal"),
    "kConnectingIcon": spinner_icon,
    "kConnectedIcon": lambda: connect_icon(P["text_dark"], stop=True),
    "kConnectIcon": lambda: connect_icon(P["on_accent"]),
}

# The program's icon (resource 128): the logo at the sizes Windows asks for at 100 % to 200 %.
ICON_SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
