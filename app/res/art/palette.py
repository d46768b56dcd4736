"""The program's colours: change one here and every picture that uses it follows.

White surfaces, grey text and icons, and the accent pink RGB(232, 88, 137) for fills and
selection; the light and dark pinks are the hover and pressed states the windows also use for
their text.
"""

PALETTE = {
    "accent": "#E85889",         # RGB(232, 88, 137): fills, selection, the logo
    "accent_light": "#FA6C9C",   # RGB(250, 108, 156): hover
    "accent_dark": "#D6527E",    # RGB(214, 82, 126): pressed
    "accent_tint": "#FDECF2",    # hover wash behind title-bar glyphs
    "accent_tint_strong": "#F9D6E3",  # pressed wash
    "surface": "#FFFFFF",
    "on_accent": "#FFFFFF",      # glyphs on pink and on the video
    "glyph": "#8C8C8C",          # title-bar glyphs, combo arrows
    "link": "#727272",           # RGB(114, 114, 114): link icons (refresh, help)
    "link_disabled": "#BEBEBE",  # RGB(190, 190, 190): a link that cannot be used now
    "back_icon": "#9E9E9E",      # RGB(158, 158, 158): the panel's back arrow
    "reset_icon": "#8F8F8F",     # RGB(143, 143, 143): the panel's reset arrows
    "text_dark": "#595959",      # RGB(89, 89, 89): the connected button's icon and text
    "text_title": "#333333",     # product name
    "text_muted": "#999797",     # slogan
    "line": "#E0E0E0",           # RGB(224, 224, 224): outlines and dividers
    "line_strong": "#D2D2D2",    # the connected button's outline
    "thumb": "#D5D5D5",          # scroll thumb
    "thumb_hover": "#BDBDBD",
    "thumb_border": "#D6D6D6",   # slider thumb rim
    "shadow": "#000000",
}
