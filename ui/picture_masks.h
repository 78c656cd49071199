#pragma once
#include <optional>

#include <QColor>
#include <QPixmap>
#include <QPoint>

namespace tavrix {

// Transparency for the skin's pictures, which carry none of their own: the
// buttons have a mask slice, the sliders a colour key.

// The picture with the mask's white turned transparent and its black opaque
// (grey, as on an anti-aliased edge, is partly transparent). Both have the
// same size.
QPixmap ApplyMask(const QPixmap& picture, const QPixmap& mask);

// The picture with every pixel of the key colour turned transparent; without
// a key colour, the colour of the picture's pixel at `sample` (in logical
// pixels) is the key.
QPixmap ApplyColourKey(const QPixmap& picture, std::optional<QColor> key, QPoint sample = {0, 0});

}  // namespace tavrix
