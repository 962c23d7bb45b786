// Icon, cursor and bitmap files, both ways.

#include "package/res/res_image_files.h"

#include "package/res/res_bytes.h"

namespace package {
namespace res {

namespace {

constexpr size_t kFileHeader = 14;       // BITMAPFILEHEADER
constexpr size_t kDirectoryHeader = 6;   // reserved, kind, count
constexpr size_t kDirectoryLine = 16;    // one image in an .ico or .cur file

uint16_t WordAt(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
uint32_t DwordAt(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint32_t>(WordAt(b, at)) | (static_cast<uint32_t>(WordAt(b, at + 2)) << 16);
}

}  // namespace

bool ReadImageFile(const std::vector<uint8_t>& file, bool cursor, std::vector<FileImage>& images, std::string& error) {
  const uint16_t kind = cursor ? 2 : 1;
  if (file.size() < kDirectoryHeader || WordAt(file, 0) != 0 || WordAt(file, 2) != kind || WordAt(file, 4) == 0 ||
      file.size() < kDirectoryHeader + kDirectoryLine * WordAt(file, 4)) {
    error = cursor ? "not a cursor file" : "not an icon file";
    return false;
  }
  images.clear();
  for (uint16_t i = 0; i < WordAt(file, 4); ++i) {
    const size_t dir = kDirectoryHeader + kDirectoryLine * i;
    const uint32_t size = DwordAt(file, dir + 8), offset = DwordAt(file, dir + 12);
    if (offset > file.size() || size > file.size() - offset) {
      error = cursor ? "cursor file is truncated" : "icon file is truncated";
      return false;
    }
    FileImage image;
    Writer body;
    if (cursor) {  // a cursor resource starts with its hot spot, which the file keeps in its directory
      body.Word(WordAt(file, dir + 4));
      body.Word(WordAt(file, dir + 6));
    }
    body.bytes.insert(body.bytes.end(), file.begin() + offset, file.begin() + offset + size);
    image.data = std::move(body.bytes);
    // Planes and bit count come from the image's own header (the directory
    // often holds 0, and the system picks images by them); a PNG image keeps
    // the directory's. A cursor's directory holds its hot spot there instead.
    const bool dib = size >= 40 && DwordAt(file, offset) >= 40 && DwordAt(file, offset) <= 124;
    GroupImage& line = image.line;
    line.planes = cursor ? 1 : WordAt(file, dir + 4);
    line.bitCount = cursor ? 1 : WordAt(file, dir + 6);
    if (dib) {
      line.planes = WordAt(file, offset + 12);
      line.bitCount = WordAt(file, offset + 14);
    }
    if (cursor) {
      // The height counts the mask as well.
      line.width = dib ? static_cast<uint16_t>(DwordAt(file, offset + 4)) : file[dir];
      line.height = dib ? static_cast<uint16_t>(DwordAt(file, offset + 8)) : static_cast<uint16_t>(file[dir + 1] * 2);
    } else {
      line.width = file[dir];
      line.height = file[dir + 1];
      line.colors = file[dir + 2];
      line.reserved = file[dir + 3];
    }
    line.bytes = static_cast<uint32_t>(image.data.size());
    images.push_back(std::move(image));
  }
  return true;
}

std::vector<uint8_t> WriteImageFile(const ImageGroup& group, const std::vector<const std::vector<uint8_t>*>& images) {
  Writer w;
  w.Word(0);
  w.Word(group.cursor ? 2 : 1);
  w.Word(static_cast<uint16_t>(group.images.size()));
  const size_t skip = group.cursor ? 4 : 0;  // the hot spot goes back into the directory
  uint32_t offset = static_cast<uint32_t>(kDirectoryHeader + kDirectoryLine * group.images.size());
  for (size_t i = 0; i < group.images.size(); ++i) {
    const GroupImage& g = group.images[i];
    const std::vector<uint8_t>& data = *images[i];
    const uint32_t size = static_cast<uint32_t>(data.size() > skip ? data.size() - skip : 0);
    if (group.cursor) {
      w.Byte(static_cast<uint8_t>(g.width));
      w.Byte(static_cast<uint8_t>(g.height / 2));
      w.Byte(0);
      w.Byte(0);
      w.Word(data.size() >= 4 ? WordAt(data, 0) : 0);
      w.Word(data.size() >= 4 ? WordAt(data, 2) : 0);
    } else {
      w.Byte(static_cast<uint8_t>(g.width));
      w.Byte(static_cast<uint8_t>(g.height));
      w.Byte(g.colors);
      w.Byte(g.reserved);
      w.Word(g.planes);
      w.Word(g.bitCount);
    }
    w.Dword(size);
    w.Dword(offset);
    offset += size;
  }
  for (size_t i = 0; i < group.images.size(); ++i) {
    const std::vector<uint8_t>& data = *images[i];
    if (data.size() > skip) w.bytes.insert(w.bytes.end(), data.begin() + skip, data.end());
  }
  return w.bytes;
}

bool ReadBitmapFile(const std::vector<uint8_t>& file, std::vector<uint8_t>& dib) {
  if (file.size() < kFileHeader + 12 || file[0] != 'B' || file[1] != 'M') return false;
  dib.assign(file.begin() + kFileHeader, file.end());
  return true;
}

std::vector<uint8_t> WriteBitmapFile(const std::vector<uint8_t>& dib) {
  // Where the pixels start: after the header and the colour table (and the
  // three masks of a BI_BITFIELDS bitmap with the 40-byte header).
  uint32_t bits = static_cast<uint32_t>(dib.size());
  if (dib.size() >= 40 && DwordAt(dib, 0) >= 40 && DwordAt(dib, 0) <= dib.size()) {
    const uint32_t header = DwordAt(dib, 0);
    const uint16_t bitCount = WordAt(dib, 14);
    const uint32_t compression = DwordAt(dib, 16), used = DwordAt(dib, 32);
    const uint64_t colors = used != 0 ? used : (bitCount <= 8 ? (1ull << bitCount) : 0);
    const uint64_t at = header + colors * 4 + (header == 40 && compression == 3 ? 12 : 0);
    if (at <= dib.size()) bits = static_cast<uint32_t>(at);
  } else if (dib.size() >= 12 && DwordAt(dib, 0) == 12) {
    const uint16_t bitCount = WordAt(dib, 10);
    const uint64_t at = 12 + (bitCount <= 8 ? 3ull * (1ull << bitCount) : 0);
    if (at <= dib.size()) bits = static_cast<uint32_t>(at);
  }
  Writer w;
  w.Byte('B');
  w.Byte('M');
  w.Dword(static_cast<uint32_t>(kFileHeader + dib.size()));
  w.Dword(0);
  w.Dword(static_cast<uint32_t>(kFileHeader) + bits);
  w.bytes.insert(w.bytes.end(), dib.begin(), dib.end());
  return w.bytes;
}

}  // namespace res
}  // namespace package
