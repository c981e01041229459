#pragma once
// Images of the framework: bitmaps decoded from PNG files or embedded "GDIPLUS" resources,
// shared process-wide by name, rectangular views (sub-bitmaps) into them, and private copies
// tinted or filled by a colorizer.
#include "kx/Color.h"
#include "kx/KXResult.h"
#include "kx/PixelBuffer.h"
#include "kx/RefCountedObject.h"
#include "kx/StringT.h"

#include "platform/gdi/Bitmap.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace KX {

class LBitmapData;
class LColorizer;

class LBitmap : public virtual LRefCountedObject {
public:
    // Loads the image at path: a "::" path names a "GDIPLUS" resource (Resources.h), anything
    // else a PNG file. When loading fails the bitmap is empty (no image, 0 x 0) and
    // GetLoadError tells why.
    LBitmap(const WString& name, const WString& path);
    ~LBitmap() override;

    // The process-wide bitmap of an image path, loaded on first use; null when it cannot be
    // loaded. A "::" path is keyed by its resource name (letter case does not matter); a file
    // path by its absolute, normalised form, whose letter case is kept.
    static ConstRCPtr<LBitmap> GetSharedBitmap(const WString& name);
    // The key GetSharedBitmap files a path under.
    static WString GetSharedBitmapKey(const WString& name);

    // Takes a shared bitmap out of the shared map once only the map still holds it.
    KXRESULT ReleaseInternalReferences() override;

    // A view of (x, y, width, height) of this bitmap; a width or height of 0 or less takes the
    // whole bitmap. Its parent is this bitmap's root.
    ConstRCPtr<LBitmap> CreateSubBitmap(int32_t x, int32_t y, int32_t width, int32_t height) const;
    // A new root holding a copy of this bitmap's pixels.
    RCPtr<LBitmap> CopyBitmap() const;

    // The image that holds the pixels (this bitmap's or its root's); null for an empty bitmap.
    gdi::Bitmap* GetBitmapData() const noexcept;
    // The pixel (x, y) of this bitmap, channels / 255; the colour of ARGB 0 outside the bitmap
    // or when the image cannot be read (its status is then recorded on the image).
    LColor GetPixelColor(int32_t x, int32_t y) const;
    // The root's pixels locked read-only, for the whole root image.
    ConstRCPtr<LBitmapData> GetPixelBuffer() const;

    // The bitmap of a skin part: a tinted copy of image, or the colorizer's colour through a
    // copy of mask, or a fill of width x height when neither is given.
    static RCPtr<LBitmap> CreatePartBitmap(const ConstRCPtr<LColorizer>& colorizer, float alphaModifier, int32_t width,
                                           int32_t height, const ConstRCPtr<LBitmap>& image,
                                           const ConstRCPtr<LBitmap>& mask);
    // A width x height bitmap of the colorizer's colour, its alpha times alphaModifier.
    static RCPtr<LBitmap> CreateColorizedBitmap(const ConstRCPtr<LColorizer>& colorizer, float alphaModifier,
                                                int32_t width, int32_t height);
    // A width x height bitmap whose every pixel is color's ARGB value.
    static RCPtr<LBitmap> CreateFilledBitmap(int32_t width, int32_t height, const LColor& color);
    // Tints the bitmap's pixels in place toward the colorizer's colour; alpha is kept.
    static void ApplyColorizer(const RCPtr<LBitmap>& bitmap, const ConstRCPtr<LColorizer>& colorizer,
                               float alphaModifier);

    int32_t GetX() const noexcept { return m_x; }
    int32_t GetY() const noexcept { return m_y; }
    int32_t GetWidth() const noexcept { return m_width; }
    int32_t GetHeight() const noexcept { return m_height; }
    // The root that owns the pixels of a sub-bitmap; null for a root.
    const ConstRCPtr<LBitmap>& GetParent() const noexcept { return m_parent; }
    const WString& GetName() const noexcept { return m_name; }
    const WString& GetPath() const noexcept { return m_path; }
    // True when this bitmap or its root has an image.
    bool IsLoaded() const noexcept { return GetBitmapData() != nullptr; }
    // Why loading failed; empty when it did not.
    const WString& GetLoadError() const noexcept { return m_loadError; }
    gdi::Status GetLoadStatus() const noexcept { return m_loadStatus; }

    // A number no other bitmap of the process has, ever.
    uint64_t GetUniqueID() const noexcept { return m_uniqueID; }
    // The key of a texture made from this bitmap's pixels: the root's pixel id. Sub-bitmaps of
    // one root share it; it changes whenever the root's pixels are written (a write lock or a
    // tint), so a texture cached under an old value is never drawn for new pixels.
    uint64_t GetHandle() const noexcept;

private:
    friend class LBitmapData;
    LBitmap(); // an empty root, filled in by the factories

    const LBitmap* GetRoot() const noexcept;
    void Load(const WString& path);
    void SetImage(std::unique_ptr<gdi::Bitmap> image);
    // Gives the root a new pixel id.
    void PixelsChanged() const noexcept;

    int32_t m_x = 0;
    int32_t m_y = 0;
    int32_t m_width = 0;
    int32_t m_height = 0;
    ConstRCPtr<LBitmap> m_parent;
    WString m_name;
    WString m_path;
    std::unique_ptr<gdi::Bitmap> m_image;
    gdi::Status m_loadStatus = gdi::Status::Ok;
    WString m_loadError;
    uint64_t m_uniqueID;
    mutable std::atomic<uint64_t> m_pixelID;
};

// The pixels of a bitmap's rectangle of its root image, locked in 32-bit straight ARGB for
// direct access while this object lives. A lock that fails leaves it empty (0 x 0, no pixels).
class LBitmapData : public IPixelBuffer<int32_t>, public virtual LRefCountedObject {
public:
    // Wrapping another pixel buffer is not supported: a non-null one throws.
    LBitmapData(const ConstRCPtr<LBitmap>& bitmap, gdi::ImageLockMode mode,
                IPixelBuffer<int32_t>* pixelBuffer = nullptr);
    ~LBitmapData() override;

    uint32_t GetWidth() const override;
    uint32_t GetHeight() const override;
    // Bytes from one row to the next.
    uint32_t GetRowLength() const override;
    // Pixel (x, y) of the locked rectangle; null outside it.
    const int32_t* GetPixelAddress(uint32_t x, uint32_t y) const override;
    int32_t* GetPixelAddress(uint32_t x, uint32_t y) override;

    bool IsLocked() const noexcept { return m_locked; }
    gdi::Status GetLockStatus() const noexcept { return m_lockStatus; }

private:
    ConstRCPtr<LBitmap> m_bitmap;
    gdi::BitmapData m_data;
    gdi::ImageLockMode m_mode;
    bool m_locked = false;
    gdi::Status m_lockStatus = gdi::Status::Ok;
};

} // namespace KX
