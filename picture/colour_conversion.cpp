#include "picture/colour_conversion.h"

#include <cstddef>
#include <cstring>

#include "picture/colour_rows.h"
#include "picture/colour_tables.h"

namespace tavrix {
namespace {

struct Rgb {
  std::uint8_t r, g, b;
};

// The chroma terms of one 2x2 block, looked up once for its four pixels.
struct Chroma {
  std::int32_t red, green, blue;

  Chroma(std::uint8_t cb, std::uint8_t cr)
      : red(kColourTables.crToRed[cr]),
        green(-kColourTables.cbToGreen[cb] - kColourTables.crToGreen[cr]),
        blue(kColourTables.cbToBlue[cb]) {}

  Rgb Pixel(std::uint8_t y) const {
    const std::int32_t luma = 1024 * y;
    return {kClampTable[(luma + red) >> 10], kClampTable[(luma + green) >> 10], kClampTable[(luma + blue) >> 10]};
  }
};

// Converts two rows sharing a chroma row; `store(row, x, rgb)` writes pixel x.
template <typename Store>
void ConvertRowPair(const std::uint8_t* luma0, const std::uint8_t* luma1, const std::uint8_t* cb,
                    const std::uint8_t* cr, std::uint8_t* out0, std::uint8_t* out1, int width, Store store) {
  for (int i = 0; i < width / 2; ++i) {
    const Chroma chroma(cb[i], cr[i]);
    const int x = 2 * i;
    store(out0, x, chroma.Pixel(luma0[x]));
    store(out0, x + 1, chroma.Pixel(luma0[x + 1]));
    store(out1, x, chroma.Pixel(luma1[x]));
    store(out1, x + 1, chroma.Pixel(luma1[x + 1]));
  }
}

// Walks the picture in pairs of rows; `rowStart(y)` gives the destination
// row of picture row y.
template <typename RowStart, typename RowPair>
void ForEachRowPair(const std::uint8_t* source, int width, int height, RowStart rowStart, RowPair rowPair) {
  const auto w = static_cast<std::size_t>(width);
  const std::uint8_t* cbPlane = source + w * static_cast<std::size_t>(height);
  const std::uint8_t* crPlane = cbPlane + w * static_cast<std::size_t>(height) / 4;
  for (int k = 0; k < height / 2; ++k) {
    const std::uint8_t* luma0 = source + w * static_cast<std::size_t>(2 * k);
    rowPair(luma0, luma0 + w, cbPlane + w / 2 * static_cast<std::size_t>(k),
            crPlane + w / 2 * static_cast<std::size_t>(k), rowStart(2 * k), rowStart(2 * k + 1), width);
  }
}

template <typename RowStart, typename Store>
void Convert(const std::uint8_t* source, int width, int height, RowStart rowStart, Store store) {
  ForEachRowPair(source, width, height, rowStart,
                 [store](const std::uint8_t* luma0, const std::uint8_t* luma1, const std::uint8_t* cb,
                         const std::uint8_t* cr, std::uint8_t* out0, std::uint8_t* out1, int w) {
                   ConvertRowPair(luma0, luma1, cb, cr, out0, out1, w, store);
                 });
}

auto TopDown(std::uint8_t* destination, int width, int bytesPerPixel) {
  const std::size_t stride = static_cast<std::size_t>(width) * bytesPerPixel;
  return [=](int y) { return destination + stride * static_cast<std::size_t>(y); };
}

auto BottomUp(std::uint8_t* destination, int width, int height, int rowsPerLine) {
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  return [=](int y) { return destination + stride * static_cast<std::size_t>(rowsPerLine * (height - 1 - y)); };
}

void Store16(std::uint8_t* row, int x, std::uint16_t value) {
  row[2 * x] = static_cast<std::uint8_t>(value);
  row[2 * x + 1] = static_cast<std::uint8_t>(value >> 8);
}

void StoreBgr(std::uint8_t* row, int x, Rgb c) {
  row[3 * x] = c.b;
  row[3 * x + 1] = c.g;
  row[3 * x + 2] = c.r;
}

// BGR24 and XRGB32 layouts go through the fastest row-pair converters.
template <typename RowStart>
void ConvertBgr24(const std::uint8_t* source, int width, int height, RowStart rowStart) {
  static const RowPairConverter rowPair = FastestBgr24RowPair();
  ForEachRowPair(source, width, height, rowStart, rowPair);
}

void StoreXrgb(std::uint8_t* row, int x, Rgb c) {
  row[4 * x] = c.b;
  row[4 * x + 1] = c.g;
  row[4 * x + 2] = c.r;
  row[4 * x + 3] = 0;
}

}  // namespace

void Bgr24RowPairPortable(const std::uint8_t* luma0, const std::uint8_t* luma1, const std::uint8_t* cb,
                          const std::uint8_t* cr, std::uint8_t* out0, std::uint8_t* out1, int width) {
  ConvertRowPair(luma0, luma1, cb, cr, out0, out1, width, StoreBgr);
}

void Xrgb32RowPairPortable(const std::uint8_t* luma0, const std::uint8_t* luma1, const std::uint8_t* cb,
                           const std::uint8_t* cr, std::uint8_t* out0, std::uint8_t* out1, int width) {
  ConvertRowPair(luma0, luma1, cb, cr, out0, out1, width, StoreXrgb);
}

void YuvToRgb555(std::uint8_t* destination, const std::uint8_t* source, int width, int height) {
  Convert(source, width, height, TopDown(destination, width, 2), [](std::uint8_t* row, int x, Rgb c) {
    Store16(row, x, static_cast<std::uint16_t>((c.r >> 3) << 10 | (c.g >> 3) << 5 | c.b >> 3));
  });
}

void YuvToRgb565(std::uint8_t* destination, const std::uint8_t* source, int width, int height) {
  Convert(source, width, height, TopDown(destination, width, 2), [](std::uint8_t* row, int x, Rgb c) {
    Store16(row, x, static_cast<std::uint16_t>((c.r >> 3) << 11 | (c.g >> 2) << 5 | c.b >> 3));
  });
}

void YuvToBgr565(std::uint8_t* destination, const std::uint8_t* source, int width, int height) {
  Convert(source, width, height, TopDown(destination, width, 2), [](std::uint8_t* row, int x, Rgb c) {
    Store16(row, x, static_cast<std::uint16_t>((c.b >> 3) << 11 | (c.g >> 2) << 5 | c.r >> 3));
  });
}

void YuvToBgr24(std::uint8_t* destination, const std::uint8_t* source, int width, int height) {
  ConvertBgr24(source, width, height, TopDown(destination, width, 3));
}

void YuvToXrgb32(std::uint8_t* destination, const std::uint8_t* source, int width, int height) {
  static const RowPairConverter rowPair = FastestXrgb32RowPair();
  ForEachRowPair(source, width, height, TopDown(destination, width, 4), rowPair);
}

void YuvToBgr24BottomUp(std::uint8_t* destination, const std::uint8_t* source, int width, int height) {
  ConvertBgr24(source, width, height, BottomUp(destination, width, height, 1));
}

void YuvToBgr24Doubled(std::uint8_t* destination, const std::uint8_t* source, int width, int height) {
  ConvertBgr24(source, width, height, BottomUp(destination, width, height, 2));
}

void YuvToSurface(SurfaceFormat format, std::uint8_t* destination, const std::uint8_t* source, int width,
                  int height) {
  switch (format) {
    case SurfaceFormat::kRgb555:
      return YuvToRgb555(destination, source, width, height);
    case SurfaceFormat::kRgb565:
      return YuvToRgb565(destination, source, width, height);
    case SurfaceFormat::kBgr565:
      return YuvToBgr565(destination, source, width, height);
    case SurfaceFormat::kBgr24:
      return YuvToBgr24(destination, source, width, height);
    case SurfaceFormat::kXrgb32:
      return YuvToXrgb32(destination, source, width, height);
  }
}

void DoubleLines(std::uint8_t* destination, int width, int height) {
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  for (int row = 1; row <= 2 * height - 3; row += 2) {
    const std::uint8_t* below = destination + stride * static_cast<std::size_t>(row - 1);
    const std::uint8_t* above = below + 2 * stride;
    std::uint8_t* line = destination + stride * static_cast<std::size_t>(row);
    for (std::size_t i = 0; i < stride; ++i) line[i] = static_cast<std::uint8_t>((below[i] + above[i]) >> 1);
  }
}

}  // namespace tavrix
