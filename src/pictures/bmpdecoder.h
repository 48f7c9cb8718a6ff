#pragma once

#include "pictures/bytereader.h"
#include "pictures/picturefile.h"

namespace PictureDecoding {

// The part of a BMP file that choose asks for, into part: 1, 4, 8, 16, 24
// and 32 bits, RLE4, RLE8, bit fields, 12- to 124-byte headers, bottom-up
// and top-down rows. Every header field is checked before a pixel is read.
void readBmpPart(FileReader& file, const Head& head, const PartChoice& choose, PicturePart& part);

} // namespace PictureDecoding
