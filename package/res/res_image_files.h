#pragma once
// The files that icons, cursors and bitmaps come in, read into the
// resources the system keeps and written back from them: an .ico or .cur
// file is a directory of images, each of which becomes an icon or cursor
// resource that a group lists; a .bmp file is a device-independent bitmap
// after a 14-byte file header, which the resource leaves out.

#include <cstdint>
#include <string>
#include <vector>

#include "package/res/res_trees.h"

namespace package {
namespace res {

// One image of an icon or cursor file: the group's line for it (all but its
// resource number) and the resource's bytes (a cursor's start with its hot spot).
struct FileImage {
  GroupImage line;
  std::vector<uint8_t> data;
};

// The images of an .ico (or, with `cursor`, a .cur) file, in the file's
// order. False with "not an icon file", "icon file is truncated" (or the
// cursor's words) when the file is not one.
bool ReadImageFile(const std::vector<uint8_t>& file, bool cursor, std::vector<FileImage>& images, std::string& error);

// The file a group and its images' resources come from: the directory,
// then each image as the group lists them.
std::vector<uint8_t> WriteImageFile(const ImageGroup& group, const std::vector<const std::vector<uint8_t>*>& images);

// The bitmap a .bmp file holds, without its file header. False when it is
// not a bitmap file.
bool ReadBitmapFile(const std::vector<uint8_t>& file, std::vector<uint8_t>& dib);

// A .bmp file of a bitmap resource: the file header, pointing at the pixels
// after the bitmap's header and colour table, then the resource's bytes.
std::vector<uint8_t> WriteBitmapFile(const std::vector<uint8_t>& dib);

}  // namespace res
}  // namespace package
