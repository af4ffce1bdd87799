#pragma once

#include <QImage>

#include <cstdint>
#include <span>
#include <xcb/xcb.h>

namespace tockwise {

// How an X server lays out the pixels of an image, as far as frames sent to it and
// the desktop picture read from it depend on it: both copy 32-bit words as they
// are, which is right only where the server keeps pixels so.
namespace PixelLayout {

// The pixmap formats a server lists in its setup.
std::span<const xcb_format_t> formatsOf(const xcb_setup_t *setup);

// Whether an image of `depth` is rows of 32-bit pixels with nothing between them:
// the format listed for the depth has 32 bits a pixel and a scanline pad that
// divides 32, which every row of such pixels already meets.
bool packsWords(std::span<const xcb_format_t> formats, std::uint8_t depth);

// A Z-format image of `size` with 32-bit pixels, as a server of `byteOrder` (its
// image byte order) sends one, as an opaque image: the top byte of a 24-bit pixel
// is whatever the server left there, and of a 32-bit one an alpha a background
// has no use for.
QImage opaqueImage(const std::uint8_t *pixels, QSize size, std::uint8_t byteOrder);

} // namespace PixelLayout

} // namespace tockwise
