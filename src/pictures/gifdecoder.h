#pragma once

#include "pictures/bytereader.h"
#include "pictures/picturefile.h"

namespace PictureDecoding {

// The part of a GIF file's first frame that choose asks for, into part; its
// transparent colour stays transparent.
void readGifPart(FileReader& file, const PartChoice& choose, PicturePart& part);

} // namespace PictureDecoding
