// Materials and glows: every pixel is a function of its position, built from tiling noise, so the
// materials repeat without seams.
#include <algorithm>
#include <cmath>

#include "tools/showdata/pictures/art.h"

namespace pictures {
namespace {

constexpr float kPi = 3.14159265358979f;

template <typename F>
Canvas Shade(int w, int h, F f) {
  Canvas c(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const Colour col = f((x + 0.5f) / w, (y + 0.5f) / h);
      c.at(x, y) = Pixel{std::max(col.r, 0.0f), std::max(col.g, 0.0f), std::max(col.b, 0.0f), 1};
    }
  }
  return c;
}

// Light as a function of position: colour and alpha both follow the brightness, so that the
// additive texture is black (and transparent) where it gives no light.
template <typename F>
Canvas Light(int side, F f) {
  Canvas c(side, side);
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      Colour col = f((x + 0.5f) / side * 2 - 1, (y + 0.5f) / side * 2 - 1);
      col = Colour{std::clamp(col.r, 0.0f, 1.0f), std::clamp(col.g, 0.0f, 1.0f), std::clamp(col.b, 0.0f, 1.0f)};
      c.at(x, y) = Pixel{col.r, col.g, col.b, 1};
    }
  }
  return c;
}

// Distance from v to the nearest multiple of `step`, in units of v.
float ToGrid(float v, float step) {
  const float m = std::fmod(v, step);
  return std::min(m, step - m);
}

float Grain(float u, float v, int period, std::uint32_t seed) { return TileFractal(u * period, v * period, period, period, 4, seed); }

}  // namespace

Canvas GratingMaterial(int side) {
  return Shade(side, side, [](float u, float v) {
    const float n = Grain(u, v, 8, 11);
    Colour base = Mix(Hex(0x1b2236), Hex(0x2c3650), n);
    // 4 x 8 slots per tile, each a rounded slot with a lit lower lip.
    const float cu = std::fmod(u * 4, 1.0f), cv = std::fmod(v * 8, 1.0f);
    const float dx = std::fabs(cu - 0.5f) - 0.36f, dy = std::fabs(cv - 0.5f) - 0.22f;
    const float slot = std::hypot(std::max(dx, 0.0f), std::max(dy, 0.0f)) + std::min(std::max(dx, dy), 0.0f);
    if (slot < 0) base = Mix(Hex(0x04060d), Hex(0x0b1630), SmoothStep(0.25f, 0.75f, cv));
    const float lip = SmoothStep(0.03f, 0.0f, std::fabs(slot)) * SmoothStep(0.5f, 0.75f, cv);
    base = Mix(base, palette::kTeal, lip * 0.6f);
    // A light strip along the middle of the tile.
    const float strip = SmoothStep(0.02f, 0.0f, std::fabs(v - 0.5f) - 0.004f);
    return Mix(base, palette::kIce, strip * 0.8f);
  });
}

Canvas FloorTileMaterial(int side) {
  return Shade(side, side, [](float u, float v) {
    const float n = Grain(u, v, 8, 21);
    const int tx = static_cast<int>(u * 2), ty = static_cast<int>(v * 2);
    const float tone = Hash01(static_cast<std::uint32_t>(tx), static_cast<std::uint32_t>(ty), 5) * 0.25f;
    Colour c = Mix(Hex(0x141c33), Hex(0x24305a), n * 0.7f + tone);
    const float seam = std::min(ToGrid(u, 0.5f), ToGrid(v, 0.5f));
    c = Mix(Hex(0x05070f), c, SmoothStep(0.004f, 0.012f, seam));
    c = Mix(c, palette::kTeal, SmoothStep(0.006f, 0.0f, std::fabs(seam - 0.016f)) * 0.35f);
    // Amber studs at the tile corners.
    const float stud = std::hypot(ToGrid(u, 0.5f), ToGrid(v, 0.5f));
    c = Mix(c, palette::kAmber, SmoothStep(0.03f, 0.018f, stud));
    return c;
  });
}

Canvas WallPanelMaterial(int side) {
  return Shade(side, side, [](float u, float v) {
    const float n = Grain(u, v, 8, 31);
    Colour c = Mix(Hex(0x1d2748), Hex(0x2e3b6a), n);
    const float seamV = ToGrid(u, 0.5f), seamH = ToGrid(v, 1.0f);
    c = Mix(Hex(0x070a16), c, SmoothStep(0.004f, 0.012f, std::min(seamV, seamH)));
    // A glowing strip across each panel and rivets along the seams.
    const float strip = std::fabs(v - 0.62f);
    c = Mix(c, Hex(0x0a1024), SmoothStep(0.05f, 0.035f, strip));
    c = Mix(c, palette::kTeal, SmoothStep(0.02f, 0.006f, strip));
    c = Mix(c, palette::kIce, SmoothStep(0.006f, 0.0f, strip));
    const float rivet = std::hypot(ToGrid(u + 0.03f, 0.5f) , ToGrid(v, 0.125f));
    c = Mix(c, Hex(0x8793b8), SmoothStep(0.012f, 0.006f, rivet) * 0.8f);
    return c;
  });
}

Canvas DarkHexMaterial(int side) {
  return Shade(side, side, [](float u, float v) {
    // Hexagon cells: 4 across, rows offset; the period divides the tile exactly.
    const float sx = u * 4, sy = v * 4;
    const float row = std::floor(sy * 2);
    const float ox = std::fmod(row, 2.0f) * 0.5f;
    const float cx = std::fmod(sx + ox + 8, 1.0f) - 0.5f, cy = std::fmod(sy * 2, 1.0f) - 0.5f;
    const float hex = std::max(std::fabs(cx) * 0.866f + std::fabs(cy * 0.5f) * 0.5f, std::fabs(cy * 0.5f));
    const float n = Grain(u, v, 4, 41);
    Colour c = Mix(Hex(0x080b18), Hex(0x141a33), n);
    c = Mix(c, palette::kViolet, SmoothStep(0.02f, 0.0f, std::fabs(hex - 0.38f)) * 0.5f);
    return c;
  });
}

Canvas DarkMetalMaterial(int side) {
  return Shade(side, side, [](float u, float v) {
    const float n = Grain(u, v, 8, 51);
    const float s = TileFractal(u * 2, v * 32, 2, 32, 3, 53);
    Colour c = Mix(Hex(0x0c1020), Hex(0x222a44), n * 0.6f + s * 0.4f);
    const float bolt = std::hypot(ToGrid(u + 0.125f, 0.25f), ToGrid(v + 0.125f, 0.25f));
    c = Mix(c, Hex(0x4a5680), SmoothStep(0.018f, 0.01f, bolt));
    return c;
  });
}

Canvas MetalMaterial(int side) {
  return Shade(side, side, [](float u, float v) {
    const float brushed = TileFractal(u * 2, v * 64, 2, 64, 3, 61);
    const float n = Grain(u, v, 4, 62);
    Colour c = Mix(Hex(0x56637f), Hex(0x9aa8c6), brushed * 0.7f + n * 0.3f);
    const float seam = ToGrid(v, 0.5f);
    c = Mix(Hex(0x1a2034), c, SmoothStep(0.003f, 0.01f, seam));
    const float rivet = std::hypot(ToGrid(u, 0.125f), ToGrid(v - 0.03f, 0.5f));
    c = Mix(c, Hex(0xdfe8ff), SmoothStep(0.014f, 0.008f, rivet));
    return c;
  });
}

Canvas SteelPlateMaterial(int side) {
  return Shade(side, side, [](float u, float v) {
    const float n = Grain(u, v, 8, 71);
    Colour c = Mix(Hex(0x2a3450), Hex(0x46536f), n);
    // Diamond plate: raised lozenges in alternating directions, 8 x 8 per tile.
    const float cu = std::fmod(u * 8, 1.0f) - 0.5f, cv = std::fmod(v * 8, 1.0f) - 0.5f;
    const bool flip = (static_cast<int>(u * 8) + static_cast<int>(v * 8)) % 2 == 1;
    const float a = flip ? (cu + cv) : (cu - cv), b = flip ? (cu - cv) : (cu + cv);
    const float lozenge = std::hypot(a * 0.7071f / 0.34f, b * 0.7071f / 0.07f);
    const float raise = SmoothStep(1.0f, 0.7f, lozenge);
    c = Mix(c, Hex(0x8d9bbf), raise * 0.7f);
    c = Mix(c, Hex(0x11162a), SmoothStep(1.2f, 1.0f, lozenge) * (1 - raise) * 0.5f);
    return c;
  });
}

Canvas WallpaperMaterial(int side) {
  return Shade(side, side, [](float u, float v) {
    const float n = Grain(u, v, 8, 81);
    Colour c = Mix(Hex(0x2a2a5e), Hex(0x35386e), n);
    const float stripe = ToGrid(u, 0.125f);
    c = Mix(c, Hex(0x403f86), SmoothStep(0.012f, 0.004f, stripe));
    // Small amber diamonds between the stripes.
    const float du = std::fabs(std::fmod(u * 8, 1.0f) - 0.5f), dv = std::fabs(std::fmod(v * 8, 1.0f) - 0.5f);
    c = Mix(c, Mix(palette::kAmber, Hex(0x35386e), 0.45f), SmoothStep(0.14f, 0.1f, du + dv));
    return c;
  });
}

Canvas PlankMaterial(int side) {
  return Shade(side, side, [](float u, float v) {
    const int plank = static_cast<int>(u * 4);
    const float shift = Hash01(static_cast<std::uint32_t>(plank), 0, 91);
    const float vv = std::fmod(v + shift, 1.0f);
    const float grain = TileFractal(u * 16, vv * 2, 16, 2, 4, 92 + plank);
    const float ring = 0.5f + 0.5f * std::sin((grain * 8 + u * 40) * kPi);
    Colour c = Mix(Hex(0x5a3420), Hex(0x9a6238), ring * 0.6f + shift * 0.3f);
    const float seam = std::min(ToGrid(u, 0.25f), ToGrid(vv, 1.0f));
    c = Mix(Hex(0x20120a), c, SmoothStep(0.003f, 0.01f, seam));
    return c;
  });
}

Canvas PlasterMaterial(int side) {
  return Shade(side, side, [](float u, float v) {
    const float n = TileFractal(u * 8, v * 8, 8, 8, 5, 101);
    return Mix(Hex(0x7a84a8), Hex(0xaab3d2), n);
  });
}

Canvas FabricMaterial(int side) {
  return Shade(side, side, [side](float u, float v) {
    const float threads = 0.5f + 0.25f * std::sin(u * side * kPi) + 0.25f * std::sin(v * side * kPi);
    const float n = Grain(u, v, 4, 111);
    return Mix(Hex(0x8a3a12), Hex(0xe08a3a), threads * 0.5f + n * 0.5f);
  });
}

Canvas WoodMaterial(int side, bool dark) {
  return Shade(side, side, [dark](float u, float v) {
    const float warp = TileFractal(u * 2, v * 8, 2, 8, 3, dark ? 121 : 122);
    const float ring = 0.5f + 0.5f * std::sin((v * 12 + warp * 3) * 2 * kPi);
    const float fine = TileNoise(u * 64, v * 4, 64, 4, 123);
    return dark ? Mix(Hex(0x1e1010), Hex(0x4a2a1c), ring * 0.7f + fine * 0.3f)
                : Mix(Hex(0xa8784a), Hex(0xd9b07a), ring * 0.7f + fine * 0.3f);
  });
}

Canvas BrushedMaterial(int side) {
  return Shade(side, side, [](float u, float v) {
    const float brushed = TileFractal(u * 2, v * 64, 2, 64, 3, 131);
    return Mix(Hex(0x7a879e), Hex(0xc9d3e6), brushed);
  });
}

Canvas PotteryMaterial(int side) {
  return Shade(side, side, [](float u, float v) {
    const float n = Grain(u, v, 4, 141);
    Colour c = Mix(Hex(0x0f5a66), Hex(0x2a9aa0), n);
    const float band = std::fabs(std::fmod(v * 4, 1.0f) - 0.5f);
    c = Mix(c, palette::kAmber, SmoothStep(0.05f, 0.03f, band) * 0.8f);
    const float wave = std::fabs(std::fmod(v * 4, 1.0f) - 0.5f + 0.08f * std::sin(u * 8 * kPi) - 0.25f);
    c = Mix(c, palette::kIce, SmoothStep(0.03f, 0.015f, wave) * 0.6f);
    return c;
  });
}

Canvas BookCoverMaterial(int side, bool dark) {
  return Shade(side, side, [dark](float u, float v) {
    const float n = TileFractal(u * 16, v * 16, 16, 16, 3, dark ? 151 : 152);
    Colour c = dark ? Mix(Hex(0x101a40), Hex(0x1c2a5e), n) : Mix(Hex(0xb9b0d8), Hex(0xd8d2ee), n);
    // Spine bands and a title block, in gold or violet.
    const Colour ink = dark ? palette::kGold : palette::kViolet;
    const float band = std::min(std::fabs(v - 0.12f), std::fabs(v - 0.88f));
    c = Mix(c, ink, SmoothStep(0.02f, 0.01f, band));
    const bool block = u > 0.2f && u < 0.8f && v > 0.35f && v < 0.55f;
    if (block && std::fmod(v * 40, 1.0f) < 0.5f && Hash01(static_cast<std::uint32_t>(u * 30), static_cast<std::uint32_t>(v * 20), 153) > 0.3f) {
      c = Mix(c, ink, 0.8f);
    }
    return c;
  });
}

Canvas FlareGlow(int side) {
  return Light(side, [](float x, float y) {
    const float r = std::hypot(x, y);
    const float core = std::exp(-r * r * 30);
    const float halo = std::exp(-r * r * 5) * 0.55f;
    const float ring = std::exp(-std::pow((r - 0.62f) * 14, 2.0f)) * 0.35f;
    const float fade = SmoothStep(1.0f, 0.85f, r);
    const Colour c{palette::kIce.r * core + palette::kTeal.r * halo + palette::kAmber.r * ring,
                   palette::kIce.g * core + palette::kTeal.g * halo + palette::kAmber.g * ring,
                   palette::kIce.b * core + palette::kTeal.b * halo + palette::kAmber.b * ring};
    return Scale(c, fade);
  });
}

// Drawn ten times over itself, each copy turned another way and added: a thin line of light with a
// faint haze and a fainter amber line inside, so that the copies cross as ribbons and the middle
// stays clear. Where three lines cross, the sum is still short of white in red and green.
Canvas RingGlow(int side) {
  return Light(side, [](float x, float y) {
    const float r = std::hypot(x, y);
    const float line = std::exp(-std::pow((r - 0.7f) / 0.026f, 2.0f));
    const float haze = std::exp(-std::pow((r - 0.7f) / 0.12f, 2.0f));
    const float inner = std::exp(-std::pow((r - 0.5f) / 0.018f, 2.0f));
    const float fade = SmoothStep(1.0f, 0.9f, r);
    const Colour a = Scale(Mix(palette::kViolet, palette::kIce, 0.35f), 0.3f * line + 0.06f * haze);
    const Colour b = Scale(palette::kAmber, 0.12f * inner);
    return Scale(Colour{a.r + b.r, a.g + b.g, a.b + b.b}, fade);
  });
}

Canvas StarburstGlow(int side) {
  return Light(side, [](float x, float y) {
    const float r = std::hypot(x, y), a = std::atan2(y, x);
    const float rays = std::pow(0.5f + 0.5f * std::cos(a * 8), 6.0f) * std::exp(-r * 2.5f);
    const float core = std::exp(-r * r * 18);
    const float fade = SmoothStep(1.0f, 0.8f, r);
    const float k = (rays * 0.8f + core) * fade;
    return Mix(Scale(palette::kAmber, k), Scale(palette::kGold, k * 1.2f), core);
  });
}

Canvas CellPattern(int side) {
  return Shade(side, side, [](float u, float v) {
    // Concentric rounded squares per cell with a teal-to-violet sweep and amber centres.
    const float cu = std::fmod(u * 4, 1.0f) - 0.5f, cv = std::fmod(v * 4, 1.0f) - 0.5f;
    const float d = std::max(std::fabs(cu), std::fabs(cv));
    const float bands = std::pow(0.5f + 0.5f * std::cos(d * 6 * 2 * kPi), 3.0f);
    const float sweep = 0.5f + 0.5f * std::sin((u + v) * 2 * kPi);
    Colour c = Scale(Mix(palette::kTeal, palette::kViolet, sweep), bands * 0.9f);
    const float centre = SmoothStep(0.12f, 0.05f, d);
    return Mix(c, palette::kAmber, centre);
  });
}

// The jellyfish glow from within (their material is mostly emissive), so the picture itself is
// the light they give: a pale, bright membrane, near-white veins and a pink rim. The lava lamp
// adds the same picture in camera space; its glass is dimmer to match.
Canvas JellyMaterial(int side) {
  return Shade(side, side, [](float u, float v) {
    // Veins running along v with a soft membrane; the bell's rim glows.
    const float wobble = TileFractal(u * 4, v * 2, 4, 2, 3, 161);
    const float vein = std::pow(std::fabs(std::sin((u * 12 + wobble * 0.8f) * kPi)), 24.0f);
    const float membrane = TileFractal(u * 8, v * 8, 8, 8, 4, 162);
    Colour c = Mix(Hex(0x4650c8), Hex(0x8ad4ff), membrane);
    c = Mix(c, Hex(0xeefcff), vein * 0.85f);
    const float rim = std::exp(-std::pow((std::fmod(v * 2, 1.0f) - 0.85f) * 12, 2.0f));
    c = Mix(c, Hex(0xf4a8ff), rim * 0.7f);
    return c;
  });
}

Canvas SolidNight(int side) {
  Canvas c(side, side);
  c.Fill(palette::kNight);
  return c;
}

Canvas SoftDot(int side) {
  // White everywhere; the alpha is a disc with a soft rim, so even a 3 x 3 dot keeps most of its
  // light while a 6 x 6 one reads as round.
  Canvas c(side, side);
  const float centre = side / 2.0f;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      const float r = std::hypot(x + 0.5f - centre, y + 0.5f - centre) / centre;
      const float a = SmoothStep(1.0f, 0.6f, r);
      c.at(x, y) = Pixel{a, a, a, a};
    }
  }
  return c;
}

}  // namespace pictures
