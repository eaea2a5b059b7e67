// The contact sheet: one PNG with a cell per texture and per mesh, each made the way the show makes
// it. Textures go through D3DXCreateTextureFromFileInMemory (so the cell shows what the show would
// draw: sides rounded to powers of two, alpha kept) and are laid over a checkerboard; meshes go
// through D3DXLoadMeshFromXInMemory and are drawn on the REF device, lit by one directional light
// and framed by their bounding box. Textures named by a mesh's materials are applied when they are
// among the sheet's textures.
//
// Layout: textures first, then meshes on a fresh row; kColumns cells a row, each kCellSize pixels
// square with its short name (the entry name after the last '\') underneath. A texture at least
// twice as wide as it is high takes as many neighbouring cells as its proportions fill (up to
// kMaxSpan), so that wide lettering stays legible; one that does not fit the rest of a row starts
// the next.
//
// The REF device needs a window and hands its frames to the present hub, so the sheet sets up a
// headless window backend and takes over the present handler while it draws. It is meant for the
// data tool, not for a process that is showing the demo. (The Win32 subset has no DestroyWindow, so
// the small headless window stays until the process ends.)
#include "tools/showdata/contact_sheet.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <memory>

#include "platform/d3d8/d3d8.h"
#include "platform/d3d8/offscreen_device.h"
#include "platform/d3d8/texture.h"
#include "platform/d3dx8/d3dx8.h"
#include "platform/d3dx8/xfile_mesh.h"
#include "platform/png/png_writer.h"
#include "platform/present/present.h"
#include "tools/showdata/contact_sheet/label_font.h"

namespace showdata {
namespace {

constexpr int kCellSize = 160;     // pixels, the picture or render area of a cell
constexpr int kLabelHeight = 20;   // pixels under each cell
constexpr int kGap = 10;           // pixels between cells and around the sheet
constexpr int kColumns = 8;
constexpr int kMaxSpan = 4;        // cells a wide texture may take
constexpr std::uint32_t kSheetColour = 0x0e1220;
constexpr std::uint32_t kLabelColour = 0xc8d4ec;
constexpr D3DCOLOR kMeshBackground = D3DCOLOR_XRGB(0x1c, 0x24, 0x3a);

std::string ShortName(const std::string& entry) {
  const size_t slash = entry.find_last_of("\\/");
  return slash == std::string::npos ? entry : entry.substr(slash + 1);
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

template <typename T>
struct ComRelease {
  void operator()(T* p) const {
    if (p) p->Release();
  }
};
template <typename T>
using ComPtr = std::unique_ptr<T, ComRelease<T>>;

// A REF device drawing into a kCellSize square; its presented frames land in `frame`.
class CellDevice {
 public:
  bool Create(std::string* error) {
    device_ = std::make_unique<d3d8::OffscreenDevice>(
        d3d8::OffscreenDeviceSetup{kCellSize, kCellSize, D3DFMT_X8R8G8B8, true});
    if (!device_->get()) {
      *error = "cannot create the software device";
      return false;
    }
    platform::SetPresentHandler([this](HWND__*, const platform::FrameImage* image) {
      if (image) frame = *image;
    });
    return true;
  }
  ~CellDevice() {
    platform::SetPresentHandler(nullptr);
    device_.reset();
  }

  IDirect3DDevice8* get() const { return device_ ? device_->get() : nullptr; }
  platform::FrameImage frame;

 private:
  std::unique_ptr<d3d8::OffscreenDevice> device_;
};

// Where an item goes on the sheet: its top-left corner and the width of its picture area in pixels
// (the height is always kCellSize).
struct Placement {
  int x = 0;
  int y = 0;
  int width = kCellSize;
};

// Fills rows left to right with items `span` cells wide.
class Layout {
 public:
  Placement Place(int span) {
    if (column_ + span > kColumns) NewRow();
    Placement p;
    p.x = kGap + column_ * (kCellSize + kGap);
    p.y = kGap + row_ * (kCellSize + kLabelHeight + kGap);
    p.width = span * kCellSize + (span - 1) * kGap;
    column_ += span;
    return p;
  }
  void NewRow() {
    if (column_ > 0) ++row_;
    column_ = 0;
  }
  int Rows() const { return row_ + (column_ > 0 ? 1 : 0); }

 private:
  int row_ = 0;
  int column_ = 0;
};

// Cells a texture of this size takes: 1, or its width-to-height ratio rounded down, at most kMaxSpan.
int TextureSpan(IDirect3DTexture8* texture) {
  D3DSURFACE_DESC desc = {};
  texture->GetLevelDesc(0, &desc);
  return std::clamp(int(desc.Width / std::max<UINT>(desc.Height, 1)), 1, kMaxSpan);
}

// Level 0 of a decoded texture drawn into its place, fitted with its proportions kept and each sheet
// pixel the average of the texels it covers, over a checkerboard that shows through where alpha < 1.
void DrawTextureCell(platform::FrameImage& sheet, const Placement& place, IDirect3DTexture8* texture) {
  D3DSURFACE_DESC desc = {};
  texture->GetLevelDesc(0, &desc);
  D3DLOCKED_RECT locked = {};
  texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY);
  const UINT bytesPerTexel = d3d8::TexelBytes(desc.Format);
  auto texel = [&](UINT x, UINT y) {
    const std::uint8_t* p = static_cast<const std::uint8_t*>(locked.pBits) + y * locked.Pitch + x * bytesPerTexel;
    std::uint32_t bits = 0;
    for (UINT i = 0; i < bytesPerTexel; ++i) bits |= static_cast<std::uint32_t>(p[i]) << (8 * i);
    return d3d8::TexelToColor(desc.Format, bits);
  };

  const double scale = std::min(double(place.width) / desc.Width, double(kCellSize) / desc.Height);
  const int width = std::max(1, int(std::lround(desc.Width * scale)));
  const int height = std::max(1, int(std::lround(desc.Height * scale)));
  const int left = place.x + (place.width - width) / 2;
  const int top = place.y + (kCellSize - height) / 2;
  for (int y = 0; y < height; ++y) {
    const UINT y0 = UINT(y / scale);
    const UINT y1 = std::max(y0 + 1, std::min(desc.Height, UINT((y + 1) / scale)));
    for (int x = 0; x < width; ++x) {
      const UINT x0 = UINT(x / scale);
      const UINT x1 = std::max(x0 + 1, std::min(desc.Width, UINT((x + 1) / scale)));
      double sum[4] = {0, 0, 0, 0};  // alpha-weighted r, g, b and alpha
      for (UINT ty = y0; ty < y1; ++ty) {
        for (UINT tx = x0; tx < x1; ++tx) {
          const D3DCOLOR c = texel(tx, ty);
          const double a = ((c >> 24) & 0xff) / 255.0;
          sum[0] += a * ((c >> 16) & 0xff);
          sum[1] += a * ((c >> 8) & 0xff);
          sum[2] += a * (c & 0xff);
          sum[3] += a;
        }
      }
      const double count = double(x1 - x0) * double(y1 - y0);
      const double alpha = sum[3] / count;
      const int checker = (((x / 8) + (y / 8)) % 2) ? 0x9a : 0x62;
      std::uint32_t out = 0;
      for (int k = 0; k < 3; ++k) {
        const double v = sum[k] / count + (1 - alpha) * checker;
        out |= std::uint32_t(std::clamp(std::lround(v), 0L, 255L)) << (16 - 8 * k);
      }
      sheet.xrgb[std::size_t(top + y) * sheet.width + left + x] = out;
    }
  }
  texture->UnlockRect(0);
}

// Draws one mesh centred in the device's square and framed by its bounding box; the frame
// arrives in device.frame at Present.
bool RenderMesh(CellDevice& device, const DataEntry& entry, const std::map<std::string, IDirect3DTexture8*>& textures,
                std::string* error) {
  d3dx::XMeshData data;
  ID3DXMesh* rawMesh = nullptr;
  ID3DXBuffer* rawMaterials = nullptr;
  DWORD materialCount = 0;
  if (d3dx::ParseXFile(entry.bytes.data(), entry.bytes.size(), &data) != D3D_OK ||
      D3DXLoadMeshFromXInMemory(entry.bytes.data(), DWORD(entry.bytes.size()), D3DXMESH_MANAGED, device.get(),
                                nullptr, &rawMaterials, &materialCount, &rawMesh) != D3D_OK) {
    *error = "contact sheet: the mesh " + entry.name + " does not load";
    return false;
  }
  const ComPtr<ID3DXMesh> mesh(rawMesh);
  const ComPtr<ID3DXBuffer> materialBuffer(rawMaterials);
  const auto* materials = static_cast<const D3DXMATERIAL*>(materialBuffer->GetBufferPointer());

  D3DXVECTOR3 low = data.positions.front();
  D3DXVECTOR3 high = low;
  for (const D3DXVECTOR3& p : data.positions) {
    low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
    high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
  }
  const D3DXVECTOR3 centre = (low + high) * 0.5f;
  const D3DXVECTOR3 half = (high - low) * 0.5f;
  const float radius = std::max(1e-3f, std::sqrt(half.x * half.x + half.y * half.y + half.z * half.z));

  // Seen from the front, a little right and above. The camera backs off until every corner of the
  // bounding box lies inside the view (with a small margin): in the camera's axes, a corner at
  // (x, y, z) from the centre needs a distance of at least max(|x|, |y|) / tan(fov / 2) - z.
  const float fov = 0.8f;  // radians
  const float reach = std::tan(fov / 2) * 0.92f;
  auto normalised = [](D3DXVECTOR3 v) { return v * (1.0f / std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z)); };
  auto cross = [](D3DXVECTOR3 a, D3DXVECTOR3 b) {
    return D3DXVECTOR3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
  };
  auto dot = [](D3DXVECTOR3 a, D3DXVECTOR3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; };
  const D3DXVECTOR3 forward = normalised({-0.45f, -0.5f, 1.0f});  // from the eye towards the centre
  const D3DXVECTOR3 right = normalised(cross({0, 1, 0}, forward));
  const D3DXVECTOR3 up = cross(forward, right);
  float distance = radius * 0.1f;
  for (int corner = 0; corner < 8; ++corner) {
    const D3DXVECTOR3 c(corner & 1 ? half.x : -half.x, corner & 2 ? half.y : -half.y, corner & 4 ? half.z : -half.z);
    const float across = std::max(std::fabs(dot(c, right)), std::fabs(dot(c, up)));
    distance = std::max(distance, across / reach - dot(c, forward));
  }
  const D3DXVECTOR3 eye = centre - forward * distance;
  D3DXMATRIX world, view, projection;
  D3DXMatrixIdentity(&world);
  D3DXMatrixLookAtLH(&view, &eye, &centre, &up);
  D3DXMatrixPerspectiveFovLH(&projection, fov, 1.0f, std::max(distance - radius * 1.05f, distance * 0.01f),
                             distance + radius * 1.05f);

  IDirect3DDevice8* d = device.get();
  d->SetTransform(D3DTS_WORLD, &world);
  d->SetTransform(D3DTS_VIEW, &view);
  d->SetTransform(D3DTS_PROJECTION, &projection);
  d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);  // open and one-sided models show whole
  const bool lit = (data.fvf & D3DFVF_NORMAL) != 0;
  d->SetRenderState(D3DRS_LIGHTING, lit ? TRUE : FALSE);
  d->SetRenderState(D3DRS_AMBIENT, D3DCOLOR_XRGB(0x50, 0x58, 0x68));
  d->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
  D3DLIGHT8 light = {};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = {1.0f, 0.96f, 0.9f, 1.0f};
  light.Direction = {-0.45f, -0.7f, 0.55f};
  d->SetLight(0, &light);
  d->LightEnable(0, TRUE);

  d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kMeshBackground, 1.0f, 0);
  d->BeginScene();
  const bool hasTexcoords = (data.fvf & D3DFVF_TEXCOUNT_MASK) != 0;
  for (DWORD i = 0; i < materialCount; ++i) {
    D3DMATERIAL8 material = materials[i].MatD3D;
    material.Ambient = material.Diffuse;  // the light's ambient shows the shape's own colour in shadow
    d->SetMaterial(&material);
    IDirect3DTexture8* texture = nullptr;
    if (hasTexcoords && materials[i].pTextureFilename) {
      const auto found = textures.find(Lower(ShortName(materials[i].pTextureFilename)));
      if (found != textures.end()) texture = found->second;
    }
    d->SetTexture(0, texture);
    mesh->DrawSubset(i);
  }
  d->SetTexture(0, nullptr);
  d->EndScene();
  device.frame = {};
  d->Present(nullptr, nullptr, nullptr, nullptr);
  if (device.frame.width != kCellSize || device.frame.height != kCellSize) {
    *error = "contact sheet: the software device gave no picture for " + entry.name;
    return false;
  }
  return true;
}

}  // namespace

bool WriteContactSheet(const std::vector<DataEntry>& textures, const std::vector<DataEntry>& meshes,
                       const std::string& pngPath, std::string* error) {
  if (textures.empty() && meshes.empty()) {
    *error = "contact sheet: nothing to show";
    return false;
  }
  LabelFont font;
  if (!font.Open(kDejaVuSansPath, 12, error)) {
    *error = "contact sheet: " + *error;
    return false;
  }
  CellDevice device;
  if (!device.Create(error)) {
    *error = "contact sheet: " + *error;
    return false;
  }

  std::vector<ComPtr<IDirect3DTexture8>> decoded;  // also applied to the meshes that name them
  std::map<std::string, IDirect3DTexture8*> byName;
  for (const DataEntry& entry : textures) {
    IDirect3DTexture8* texture = nullptr;
    if (D3DXCreateTextureFromFileInMemory(device.get(), entry.bytes.data(), UINT(entry.bytes.size()), &texture) !=
        D3D_OK) {
      *error = "contact sheet: the texture " + entry.name + " does not decode";
      return false;
    }
    decoded.emplace_back(texture);
    byName.emplace(Lower(ShortName(entry.name)), texture);
  }

  Layout layout;
  std::vector<Placement> texturePlaces, meshPlaces;
  for (const auto& texture : decoded) texturePlaces.push_back(layout.Place(TextureSpan(texture.get())));
  layout.NewRow();
  for (size_t i = 0; i < meshes.size(); ++i) meshPlaces.push_back(layout.Place(1));

  platform::FrameImage sheet;
  sheet.width = kGap + kColumns * (kCellSize + kGap);
  sheet.height = kGap + layout.Rows() * (kCellSize + kLabelHeight + kGap);
  sheet.xrgb.assign(std::size_t(sheet.width) * sheet.height, kSheetColour);
  auto label = [&](const Placement& place, const std::string& name) {
    const std::string text = ShortName(name);
    const int width = std::min(font.Measure(text), place.width);
    font.Draw(sheet, place.x + (place.width - width) / 2, place.y + kCellSize + 15, text, kLabelColour, place.width);
  };

  for (size_t i = 0; i < textures.size(); ++i) {
    DrawTextureCell(sheet, texturePlaces[i], decoded[i].get());
    label(texturePlaces[i], textures[i].name);
  }
  for (size_t i = 0; i < meshes.size(); ++i) {
    if (!RenderMesh(device, meshes[i], byName, error)) return false;
    const Placement& place = meshPlaces[i];
    for (int row = 0; row < kCellSize; ++row) {
      std::copy_n(&device.frame.xrgb[std::size_t(row) * kCellSize], kCellSize,
                  &sheet.xrgb[std::size_t(place.y + row) * sheet.width + place.x]);
    }
    label(place, meshes[i].name);
  }

  std::string reason;
  if (!platform::WritePng(pngPath, sheet, reason)) {
    *error = "contact sheet: " + reason;
    return false;
  }
  return true;
}

}  // namespace showdata
