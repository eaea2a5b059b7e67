#include "platform/d3dx8/xfile_mesh.h"

#include <cmath>
#include <string_view>

#include "platform/d3dx8/xfile_reader.h"

namespace d3dx {
namespace {

using xfile::Document;
using xfile::Object;
using xfile::SameName;

constexpr int kMaxWalkDepth = 512;
constexpr DWORD kNoColour = 0x00FFFFFF;  // vertices a colour list leaves out: white, alpha 0

// Member data read in template order.
class Cursor {
 public:
  explicit Cursor(const std::vector<double>& values) : values_(values) {}
  size_t Left() const { return values_.size() - pos_; }
  bool Count(DWORD* out) {
    if (pos_ >= values_.size()) return false;
    const double d = values_[pos_++];
    if (!(d >= 0.0 && d <= 4294967295.0) || d != std::floor(d)) return false;
    *out = static_cast<DWORD>(d);
    return true;
  }
  bool Float(float* out) {
    if (pos_ >= values_.size()) return false;
    *out = static_cast<float>(values_[pos_++]);
    return true;
  }
  bool Floats(float* out, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      if (!Float(out + i)) return false;
    }
    return true;
  }

 private:
  const std::vector<double>& values_;
  size_t pos_ = 0;
};

// One Mesh object, built before merging.
struct PartMesh {
  std::vector<D3DXVECTOR3> positions;
  std::vector<D3DXVECTOR3> normals;
  std::vector<DWORD> colors;
  std::vector<float> texcoords;
  std::vector<DWORD> indices;
  std::vector<DWORD> attributes;
  std::vector<XMaterial> materials;
  bool hasMaterialList = false;
};

XMaterial DefaultMaterial() {
  XMaterial m;
  m.material.Diffuse = {0.5f, 0.5f, 0.5f, 0.0f};
  m.material.Specular = {0.5f, 0.5f, 0.5f, 0.0f};
  return m;
}

DWORD ColourByte(float c) {
  c = c < 0.0f ? 0.0f : (c > 1.0f ? 1.0f : c);
  return static_cast<DWORD>(static_cast<int>(c * 255.0f + 0.5f));
}

D3DXVECTOR3 Normalized(const D3DXVECTOR3& v) {
  const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  return length > 0.0f ? D3DXVECTOR3(v.x / length, v.y / length, v.z / length) : v;
}

bool IsIdentity(const D3DXMATRIX& m) {
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  return m == identity;
}

class Builder {
 public:
  explicit Builder(const Document& document) : document_(document) {
    size_t numbers = 0;
    for (const Object& object : document.objects) numbers += object.numbers.size();
    visitBudget_ = 4 * document.objects.size() + 64;
    outputBudget_ = 64 * numbers + (1u << 20);  // room for a mesh referenced many times
  }

  bool Run(XMeshData* out) {
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    for (int index : document_.topLevel) {
      const Object& object = document_.objects[index];
      if (SameName(object.type, "Mesh")) {
        if (!BuildMesh(object, identity)) return false;
      } else if (SameName(object.type, "Frame")) {
        if (!WalkFrame(object, identity, 0)) return false;
      }
    }
    if (parts_.empty()) return false;
    Merge(out);
    return true;
  }

 private:
  const Object* Child(int index) const {
    return index >= 0 ? &document_.objects[static_cast<size_t>(index)] : nullptr;
  }

  bool Visit() { return ++visits_ <= visitBudget_; }

  // A frame's matrix applies to what follows it in the frame: world = local * parent.
  bool WalkFrame(const Object& frame, const D3DXMATRIX& parent, int depth) {
    if (depth >= kMaxWalkDepth || !Visit()) return false;
    D3DXMATRIX world = parent;
    for (int index : frame.children) {
      const Object* child = Child(index);
      if (!child) return false;  // a reference to nothing
      if (SameName(child->type, "FrameTransformMatrix")) {
        D3DXMATRIX local;
        Cursor cursor(child->numbers);
        if (!cursor.Floats(&local._11, 16)) return false;
        D3DXMatrixMultiply(&world, &local, &parent);
      } else if (SameName(child->type, "Frame")) {
        if (!WalkFrame(*child, world, depth + 1)) return false;
      } else if (SameName(child->type, "Mesh")) {
        if (!BuildMesh(*child, world)) return false;
      }
    }
    return true;
  }

  bool BuildMesh(const Object& mesh, const D3DXMATRIX& world) {
    if (!Visit()) return false;
    PartMesh part;
    Cursor cursor(mesh.numbers);
    DWORD vertexCount = 0;
    if (!cursor.Count(&vertexCount) || cursor.Left() / 3 < vertexCount) return false;
    part.positions.resize(vertexCount);
    for (D3DXVECTOR3& p : part.positions) cursor.Floats(&p.x, 3);

    DWORD faceCount = 0;
    if (!cursor.Count(&faceCount) || cursor.Left() / 4 < faceCount) return false;
    std::vector<DWORD> faceStart(faceCount + 1, 0);
    std::vector<DWORD> corners;
    for (DWORD f = 0; f < faceCount; ++f) {
      DWORD n = 0;
      if (!cursor.Count(&n) || n < 3 || cursor.Left() < n) return false;
      for (DWORD k = 0; k < n; ++k) {
        DWORD v = 0;
        if (!cursor.Count(&v) || v >= vertexCount) return false;
        corners.push_back(v);
      }
      faceStart[f + 1] = static_cast<DWORD>(corners.size());
    }
    if (!Spend(vertexCount + 3 * corners.size())) return false;

    const Object* normals = nullptr;
    const Object* texcoords = nullptr;
    const Object* colours = nullptr;
    const Object* materialList = nullptr;
    for (int index : mesh.children) {
      const Object* child = Child(index);
      if (!child) return false;
      const auto take = [&](const Object*& slot, std::string_view type) {
        if (!slot && SameName(child->type, type)) slot = child;
      };
      take(normals, "MeshNormals");
      take(texcoords, "MeshTextureCoords");
      take(colours, "MeshVertexColors");
      take(materialList, "MeshMaterialList");
    }

    if (texcoords) {
      Cursor c(texcoords->numbers);
      DWORD n = 0;
      if (!c.Count(&n) || n != vertexCount || c.Left() / 2 < n) return false;
      part.texcoords.resize(2 * static_cast<size_t>(n));
      c.Floats(part.texcoords.data(), part.texcoords.size());
    }
    if (colours) {
      Cursor c(colours->numbers);
      DWORD n = 0;
      if (!c.Count(&n) || c.Left() / 5 < n) return false;
      part.colors.assign(vertexCount, kNoColour);
      for (DWORD i = 0; i < n; ++i) {
        DWORD v = 0;
        float rgba[4];
        if (!c.Count(&v) || v >= vertexCount || !c.Floats(rgba, 4)) return false;
        part.colors[v] = (ColourByte(rgba[3]) << 24) | (ColourByte(rgba[0]) << 16) |
                         (ColourByte(rgba[1]) << 8) | ColourByte(rgba[2]);
      }
    }
    if (normals && !ApplyNormals(*normals, faceStart, &corners, &part)) return false;

    std::vector<DWORD> faceMaterial(faceCount, 0);
    if (materialList) {
      if (!ReadMaterialList(*materialList, faceCount, &faceMaterial, &part)) return false;
    } else {
      part.materials.push_back(DefaultMaterial());
    }

    // Fans from the first corner, then a stable sort of the triangles by material.
    std::vector<DWORD> triangleCount(part.materials.size(), 0);
    for (DWORD f = 0; f < faceCount; ++f) {
      triangleCount[faceMaterial[f]] += faceStart[f + 1] - faceStart[f] - 2;
    }
    std::vector<DWORD> next(part.materials.size(), 0);
    DWORD total = 0;
    for (size_t m = 0; m < next.size(); ++m) {
      next[m] = total;
      total += triangleCount[m];
    }
    part.indices.resize(3 * static_cast<size_t>(total));
    part.attributes.resize(total);
    for (DWORD f = 0; f < faceCount; ++f) {
      const DWORD* face = corners.data() + faceStart[f];
      const DWORD n = faceStart[f + 1] - faceStart[f];
      for (DWORD k = 1; k + 1 < n; ++k) {
        const DWORD t = next[faceMaterial[f]]++;
        part.indices[3 * t] = face[0];
        part.indices[3 * t + 1] = face[k];
        part.indices[3 * t + 2] = face[k + 1];
        part.attributes[t] = faceMaterial[f];
      }
    }

    Transform(world, &part);
    parts_.push_back(std::move(part));
    return true;
  }

  // Gives each face corner its normal; a vertex met with a different normal is copied.
  bool ApplyNormals(const Object& object, const std::vector<DWORD>& faceStart,
                    std::vector<DWORD>* corners, PartMesh* part) {
    Cursor c(object.numbers);
    DWORD normalCount = 0;
    if (!c.Count(&normalCount) || c.Left() / 3 < normalCount) return false;
    std::vector<D3DXVECTOR3> fileNormals(normalCount);
    for (D3DXVECTOR3& n : fileNormals) {
      c.Floats(&n.x, 3);
      n = Normalized(n);
    }
    DWORD faceCount = 0;
    if (!c.Count(&faceCount) || faceCount != faceStart.size() - 1) return false;

    const size_t originalCount = part->positions.size();
    part->normals.assign(originalCount, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    std::vector<bool> assigned(originalCount, false);
    std::vector<std::vector<DWORD>> copies(originalCount);
    std::vector<DWORD> source;  // original vertex of each appended copy
    for (DWORD f = 0; f < faceCount; ++f) {
      DWORD n = 0;
      if (!c.Count(&n) || n != faceStart[f + 1] - faceStart[f]) return false;
      for (DWORD k = 0; k < n; ++k) {
        DWORD ni = 0;
        if (!c.Count(&ni) || ni >= normalCount) return false;
        const D3DXVECTOR3& normal = fileNormals[ni];
        DWORD& corner = (*corners)[faceStart[f] + k];
        const DWORD v = corner;
        if (!assigned[v]) {
          assigned[v] = true;
          part->normals[v] = normal;
          continue;
        }
        if (part->normals[v] == normal) continue;
        bool found = false;
        for (DWORD copy : copies[v]) {
          if (part->normals[copy] == normal) {
            corner = copy;
            found = true;
            break;
          }
        }
        if (found) continue;
        const DWORD copy = static_cast<DWORD>(part->positions.size());
        part->positions.push_back(part->positions[v]);
        part->normals.push_back(normal);
        source.push_back(v);
        copies[v].push_back(copy);
        corner = copy;
      }
    }
    if (!Spend(source.size())) return false;
    for (DWORD v : source) {
      if (!part->colors.empty()) part->colors.push_back(part->colors[v]);
      if (!part->texcoords.empty()) {
        part->texcoords.push_back(part->texcoords[2 * v]);
        part->texcoords.push_back(part->texcoords[2 * v + 1]);
      }
    }
    return true;
  }

  bool ReadMaterialList(const Object& list, DWORD faceCount, std::vector<DWORD>* faceMaterial,
                        PartMesh* part) {
    Cursor c(list.numbers);
    DWORD materialCount = 0;
    DWORD indexCount = 0;
    if (!c.Count(&materialCount) || !c.Count(&indexCount) || c.Left() < indexCount) return false;
    if (faceCount > 0 && indexCount == 0) return false;
    // Fewer indexes than faces: the last one carries on, as D3DX accepts.
    for (DWORD f = 0; f < indexCount; ++f) {
      DWORD m = 0;
      if (!c.Count(&m) || m >= materialCount) return false;
      if (f < faceCount) (*faceMaterial)[f] = m;
    }
    for (DWORD f = indexCount; f < faceCount; ++f) (*faceMaterial)[f] = (*faceMaterial)[f - 1];

    for (int index : list.children) {
      const Object* child = Child(index);
      if (!child) return false;
      if (!SameName(child->type, "Material")) continue;
      if (part->materials.size() >= materialCount) return false;
      XMaterial material;
      Cursor m(child->numbers);
      float values[11];
      if (!m.Floats(values, 11)) return false;
      material.material.Diffuse = {values[0], values[1], values[2], values[3]};
      material.material.Ambient = {0.0f, 0.0f, 0.0f, 1.0f};
      material.material.Power = values[4];
      material.material.Specular = {values[5], values[6], values[7], 1.0f};
      material.material.Emissive = {values[8], values[9], values[10], 1.0f};
      for (int textureIndex : child->children) {
        const Object* texture = Child(textureIndex);
        if (!texture) return false;
        if (!SameName(texture->type, "TextureFilename")) continue;
        if (texture->strings.empty()) return false;
        material.hasTexture = true;
        material.textureFilename = std::string(texture->strings.front());
        break;
      }
      part->materials.push_back(std::move(material));
    }
    if (part->materials.size() != materialCount) return false;
    part->hasMaterialList = true;
    return true;
  }

  // Positions as points; normals by the inverse transpose of the 3x3 part, renormalised.
  static void Transform(const D3DXMATRIX& m, PartMesh* part) {
    if (IsIdentity(m)) return;
    for (D3DXVECTOR3& p : part->positions) {
      const float x = p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41;
      const float y = p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42;
      const float z = p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43;
      const float w = p.x * m._14 + p.y * m._24 + p.z * m._34 + m._44;
      p = (w != 0.0f && w != 1.0f) ? D3DXVECTOR3(x / w, y / w, z / w) : D3DXVECTOR3(x, y, z);
    }
    if (part->normals.empty()) return;
    // Cofactors of the 3x3 part: det * inverse transpose.
    float c[3][3];
    const float a[3][3] = {{m._11, m._12, m._13}, {m._21, m._22, m._23}, {m._31, m._32, m._33}};
    for (int r = 0; r < 3; ++r) {
      for (int col = 0; col < 3; ++col) {
        const int r1 = (r + 1) % 3, r2 = (r + 2) % 3, c1 = (col + 1) % 3, c2 = (col + 2) % 3;
        c[r][col] = a[r1][c1] * a[r2][c2] - a[r1][c2] * a[r2][c1];
      }
    }
    const float det = a[0][0] * c[0][0] + a[0][1] * c[0][1] + a[0][2] * c[0][2];
    const float sign = det < 0.0f ? -1.0f : 1.0f;
    if (det == 0.0f) {
      for (int r = 0; r < 3; ++r) {
        for (int col = 0; col < 3; ++col) c[r][col] = a[r][col];
      }
    }
    // (A^-1)^T = C / det with C the cofactor matrix; only the sign of det matters once the
    // result is renormalised.
    for (D3DXVECTOR3& n : part->normals) {
      if (n.x == 0.0f && n.y == 0.0f && n.z == 0.0f) continue;
      const D3DXVECTOR3 t(n.x * c[0][0] + n.y * c[1][0] + n.z * c[2][0],
                          n.x * c[0][1] + n.y * c[1][1] + n.z * c[2][1],
                          n.x * c[0][2] + n.y * c[1][2] + n.z * c[2][2]);
      n = Normalized(t * sign);
    }
  }

  bool Spend(size_t amount) {
    if (amount > outputBudget_) return false;
    outputBudget_ -= amount;
    return true;
  }

  void Merge(XMeshData* out) {
    bool anyMaterials = false;
    for (const PartMesh& part : parts_) {
      if (!part.normals.empty()) out->fvf |= D3DFVF_NORMAL;
      if (!part.colors.empty()) out->fvf |= D3DFVF_DIFFUSE;
      if (!part.texcoords.empty()) out->fvf |= D3DFVF_TEX1;
      anyMaterials = anyMaterials || part.hasMaterialList;
    }
    DWORD materialBase = 0;
    for (const PartMesh& part : parts_) {
      const DWORD vertexBase = static_cast<DWORD>(out->positions.size());
      const size_t n = part.positions.size();
      out->positions.insert(out->positions.end(), part.positions.begin(), part.positions.end());
      if (out->fvf & D3DFVF_NORMAL) {
        if (part.normals.empty()) {
          out->normals.resize(out->normals.size() + n, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
        } else {
          out->normals.insert(out->normals.end(), part.normals.begin(), part.normals.end());
        }
      }
      if (out->fvf & D3DFVF_DIFFUSE) {
        if (part.colors.empty()) {
          out->colors.resize(out->colors.size() + n, 0u);
        } else {
          out->colors.insert(out->colors.end(), part.colors.begin(), part.colors.end());
        }
      }
      if (out->fvf & D3DFVF_TEX1) {
        if (part.texcoords.empty()) {
          out->texcoords.resize(out->texcoords.size() + 2 * n, 0.0f);
        } else {
          out->texcoords.insert(out->texcoords.end(), part.texcoords.begin(), part.texcoords.end());
        }
      }
      for (DWORD index : part.indices) out->indices.push_back(index + vertexBase);
      const DWORD base = anyMaterials ? materialBase : 0;
      for (DWORD attribute : part.attributes) out->attributes.push_back(attribute + base);
      if (anyMaterials) {
        out->materials.insert(out->materials.end(), part.materials.begin(), part.materials.end());
        materialBase += static_cast<DWORD>(part.materials.size());
      }
    }
    // Also when every material list declares no material (its mesh then has no faces): a mesh
    // always has one.
    if (out->materials.empty()) out->materials.push_back(DefaultMaterial());

    // The faces are sorted by attribute within each mesh and the ids grow from mesh to mesh, so
    // each id forms one run.
    for (size_t f = 0; f < out->attributes.size();) {
      XAttributeRange range;
      range.attribId = out->attributes[f];
      range.faceStart = static_cast<DWORD>(f);
      DWORD lo = 0xFFFFFFFFu, hi = 0;
      for (; f < out->attributes.size() && out->attributes[f] == range.attribId; ++f) {
        for (int k = 0; k < 3; ++k) {
          const DWORD v = out->indices[3 * f + k];
          lo = v < lo ? v : lo;
          hi = v > hi ? v : hi;
        }
      }
      range.faceCount = static_cast<DWORD>(f) - range.faceStart;
      range.vertexStart = lo;
      range.vertexCount = hi - lo + 1;
      out->attributeTable.push_back(range);
    }
  }

  const Document& document_;
  std::vector<PartMesh> parts_;
  size_t visits_ = 0;
  size_t visitBudget_ = 0;
  size_t outputBudget_ = 0;
};

}  // namespace

HRESULT ParseXFile(const void* data, size_t size, XMeshData* out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = XMeshData{};
  xfile::Document document;
  if (!xfile::ReadDocument(static_cast<const uint8_t*>(data), size, &document)) {
    return D3DXERR_INVALIDDATA;
  }
  if (!Builder(document).Run(out)) {
    *out = XMeshData{};
    return D3DXERR_INVALIDDATA;
  }
  return D3D_OK;
}

}  // namespace d3dx
