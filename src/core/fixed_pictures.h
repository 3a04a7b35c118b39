// The sixteen fixed pictures of the game: their numbers and files, in start-up's load order. Start-up loads
// them into the record; the drawing, the menus and the validator name them by number.
#pragma once

#include <array>
#include <cstdint>

constexpr int32_t fixedPictureCount = 16;

// Picture numbers; the files stand below in the same order.
enum FixedPicture : int32_t {
    picMan,
    picDungan,
    picTekismall,
    picMycutin,
    picVs,
    picSidePanel,
    picSannkaku,
    picSannkakuBlack,
    picMenu,
    picMenuD,
    picWhitebox,
    picYesnobox,
    picWicon,
    picEnd,
    picBall,
    picTitle
};
inline constexpr std::array<const char*, fixedPictureCount> fixedPictureFiles = {
    "pict\\man.png",       "pict\\dungan.png",
    "pict\\tekismall.png", "pict\\mycutin.png",
    "pict\\VS.png",        "pict\\サイドメニュー.png",
    "pict\\sannkaku.png",  "pict\\sannkakublack.png",
    "pict\\めにゅ.png",    "pict\\めにゅd.png",
    "pict\\whitebox.png",  "pict\\yesnobox.png",
    "pict\\Wicon.png",     "pict\\END.png",
    "pict\\BALL.png",      "pict\\TITLE.png"};
// The pictures only the ending draws, its panorama and its orbs: decoded when the ending begins, not at start-up
// (the title draws a part of the panorama, which it keeps apart).
inline constexpr std::array<FixedPicture, 2> endingPictures = {picEnd, picBall};
constexpr bool drawnByEndingOnly(int32_t picture) {
    return picture == picEnd || picture == picBall;
}
