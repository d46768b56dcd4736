// The program's pictures: "PNG" resources of Lumaroo.exe by number. This table is also what the
// artwork generator (app/res/art) reads: every entry must have a drawing there.
// Button states come in the order the buttons' SetImages takes them where a caller uses them:
// normal, hover, pressed (the disabled state reuses normal unless it has a picture of its own).
#pragma once

namespace vl::pictures {

// Slider thumb (16 x 16).
constexpr int kSliderThumb = 207;
// Panel: adjustment page's back and reset icons (22 x 22; grey, light pink, dark pink).
constexpr int kBackArrowNormal = 208;
constexpr int kBackArrowHover = 209;
constexpr int kBackArrowPressed = 210;
constexpr int kResetNormal = 211;
constexpr int kResetHover = 212;
constexpr int kResetPressed = 213;
// Panel items: circle mask (68 x 68, white outside a transparent disc), edit mark (36 x 36 white
// pencil), decoration selection frame (68 x 68 pink rounded outline), filter marks (36 x 36 white
// check, white adjustment symbol).
constexpr int kCircleMask = 214;
constexpr int kEditMark = 215;
constexpr int kDecorFrame = 216;
constexpr int kCheckMark = 217;
constexpr int kAdjustMark = 218;
// A help icon (16 x 16, grey, pink and dark pink) for help links.
constexpr int kHelpIconNormal = 219;
constexpr int kHelpIconHover = 220;
constexpr int kHelpIconPressed = 260;
// Mini scroll bar thumb, drawn as nine parts (insets 3, 3, 4, 14; 10 x 24).
constexpr int kScrollThumbHover = 221;
constexpr int kScrollThumbPressed = 222;
constexpr int kScrollThumbNormal = 223;
// Main window background (728 x 646, drawn at (1, 1)).
constexpr int kMainBackground = 224;
// Connect button, idle and connecting looks (96 x 36, pink).
constexpr int kConnectHover = 225;
constexpr int kConnectPressed = 226;
constexpr int kConnectNormal = 227;
// Close button (34 x 34): main window, waiting overlay, settings dialog.
constexpr int kCloseHover = 228;
constexpr int kClosePressed = 229;
constexpr int kCloseNormal = 230;
// Minimise button (34 x 34).
constexpr int kMinimiseNormal = 231;
constexpr int kMinimiseHover = 232;
constexpr int kMinimisePressed = 233;
// Connect button, connected look (96 x 36, white with a grey outline).
constexpr int kDisconnectHover = 234;
constexpr int kDisconnectPressed = 235;
constexpr int kDisconnectNormal = 236;
// Combo box arrows (12 x 8): list open (up) and closed (down), normal and hot.
constexpr int kComboArrowOpen = 237;
constexpr int kComboArrowOpenHot = 238;
constexpr int kComboArrowClosedHot = 239;
constexpr int kComboArrowClosed = 240;
// Refresh link icon (16 x 16); the disabled one is lighter, as is the disabled link's text.
constexpr int kRefreshHover = 241;
constexpr int kRefreshPressed = 242;
constexpr int kRefreshNormal = 243;
constexpr int kRefreshDisabled = 268;
// Preview overlay icons (18 x 18, white on the video, light and dark pink).
constexpr int kFlipVerticalNormal = 244;
constexpr int kFlipVerticalHover = 245;
constexpr int kFlipVerticalPressed = 246;
constexpr int kToLandscapeHover = 247;
constexpr int kToLandscapePressed = 248;
constexpr int kToLandscapeNormal = 249;
constexpr int kToPortraitNormal = 250;
constexpr int kToPortraitHover = 251;
constexpr int kToPortraitPressed = 252;
constexpr int kFlipHorizontalNormal = 253;
constexpr int kFlipHorizontalHover = 254;
constexpr int kFlipHorizontalPressed = 255;
// Settings dialog: product name (256) and slogan (257) under the logo (267, 68 x 68).
constexpr int kAboutName = 256;
constexpr int kAboutSlogan = 257;
constexpr int kAboutLogo = 267;
// Settings button (34 x 34).
constexpr int kSettingsHover = 261;
constexpr int kSettingsPressed = 262;
constexpr int kSettingsNormal = 263;
// Connect button icons (16 x 16): connecting (spins), connected, idle.
constexpr int kConnectingIcon = 264;
constexpr int kConnectedIcon = 265;
constexpr int kConnectIcon = 266;

}  // namespace vl::pictures
