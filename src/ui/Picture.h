#pragma once
// A banner picture loaded by file extension: JPEG (libjpeg), bitmap, icon,
// and Windows or enhanced metafile. Every failure leaves the picture empty.
#include "win/Handles.h"

#include <string>

namespace vorlund {

class Picture {
  public:
    // False when the file is missing, of no known type or damaged.
    bool LoadFromFile(const std::string& path);
    void Clear();
    bool Empty() const { return !bitmap_ && !icon_ && !metafile_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Draws at its natural size with its top-left corner at x, y.
    void Draw(HDC dc, int x, int y) const;

  private:
    bool loadJpeg(const std::string& path);
    bool loadBitmap(const std::string& path);
    bool loadIcon(const std::string& path);
    bool loadEnhMetafile(const std::string& path);
    bool loadWindowsMetafile(const std::string& path);

    win::UniqueBitmap bitmap_;
    win::UniqueIcon icon_;
    win::UniqueEnhMetaFile metafile_;
    int width_ = 0;
    int height_ = 0;
};

} // namespace vorlund
