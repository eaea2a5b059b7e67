// Lighting a whole draw's vertices at once (four at a time where the set-up allows) must give
// exactly the colours of lighting them one by one.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/d3d8/device_state.h"
#include "platform/d3d8/fixed_function_state.h"
#include "platform/d3d8/fvf.h"
#include "platform/d3d8/ref/ref_lighting.h"

namespace d3d8_test {
namespace {

using d3d8::DeviceState;
using d3d8::ref::LitColor;

struct Vertex {
  float x, y, z, nx, ny, nz;
};

bool Same(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Vertices around the lights: inside and beyond their ranges, one exactly at a point light, and
// normals facing towards and away from them (unit and not).
std::vector<Vertex> Vertices(std::uint32_t seed, std::size_t count) {
  const auto next = [&seed](float lo, float hi) {
    seed = seed * 1664525u + 1013904223u;
    return lo + (hi - lo) * static_cast<float>(seed >> 8) / 16777216.0f;
  };
  std::vector<Vertex> out(count);
  for (Vertex& v : out) v = {next(-12, 12), next(-12, 12), next(-12, 12), next(-2, 2), next(-2, 2), next(-2, 2)};
  out[1] = {0, 2, -4, 0, 1, 0};  // on the first light
  out[2].nx = out[2].ny = out[2].nz = 0;  // no direction at all
  return out;
}

DeviceState State(bool normalize, bool directional, bool specular) {
  DeviceState state = DeviceState::Fresh(64, 64, true);
  state.renderStates[D3DRS_LIGHTING] = TRUE;
  state.renderStates[D3DRS_NORMALIZENORMALS] = normalize;
  state.renderStates[D3DRS_SPECULARENABLE] = specular;
  state.renderStates[D3DRS_AMBIENT] = 0x00102030;
  state.material = {{0.9f, 0.6f, 0.3f, 0.7f}, {0.5f, 0.5f, 0.5f, 1}, {1, 1, 1, 1}, {0.05f, 0, 0.1f, 0}, 12};
  D3DLIGHT8 point{};
  point.Type = D3DLIGHT_POINT;
  point.Diffuse = {1, 1, 1, 1};
  point.Ambient = {0.2f, 0.1f, 0.3f, 1};
  point.Specular = {1, 1, 1, 1};
  point.Position = {0, 2, -4};
  point.Range = 14;
  point.Attenuation0 = 1;
  point.Attenuation1 = 0.05f;
  point.Attenuation2 = 0.01f;
  D3DLIGHT8 second = point;
  second.Diffuse = {0.3f, -0.4f, 2.5f, 1};  // negative and over-bright colours
  second.Position = {3, -2, 6};
  second.Range = 9;
  second.Attenuation0 = 0;  // the denominator is 0 at the light itself
  second.Attenuation1 = 0.5f;
  state.lights[0] = {point, true};
  state.lights[3] = {second, true};
  if (directional) {
    D3DLIGHT8 sun{};
    sun.Type = D3DLIGHT_DIRECTIONAL;
    sun.Diffuse = {0.5f, 0.4f, 0.2f, 1};
    sun.Ambient = {0.1f, 0.1f, 0.1f, 1};
    sun.Direction = {0.3f, -1, 0.2f};
    state.lights[5] = {sun, true};
  }
  state.view = d3d8::IdentityMatrix();
  state.view._41 = 0.5f;
  state.view._43 = 1.0f;
  return state;
}

TEST(LightMany, GivesTheColoursOfLightingEachVertex) {
  D3DMATRIX worldView = d3d8::IdentityMatrix();
  worldView._11 = 1.5f;
  worldView._12 = 0.25f;
  worldView._33 = 0.75f;
  worldView._42 = -1.0f;
  for (bool normalize : {false, true}) {
    for (bool directional : {false, true}) {
      for (bool specular : {false, true}) {  // specular lights one vertex at a time
        const DeviceState state = State(normalize, directional, specular);
        d3d8::FixedFunctionState fixed;
        d3d8::ResolveFixedFunction(state, D3DFVF_XYZ | D3DFVF_NORMAL, true, fixed);
        fixed.worldView = worldView;  // an odd one, not the state's World * View
        fixed.normalMatrix = d3d8::NormalMatrix(worldView);
        d3d8::ref::Lighting lighting;
        lighting.Prepare(state, fixed);
        const std::vector<Vertex> vertices = Vertices(5u + normalize + 2u * directional, 203);
        std::vector<LitColor> many(vertices.size());
        lighting.LightMany(reinterpret_cast<const BYTE*>(vertices.data()), sizeof(Vertex),
                           static_cast<UINT>(vertices.size()), many.data());
        int lit = 0, dark = 0;
        for (std::size_t i = 0; i < vertices.size(); ++i) {
          const LitColor one = lighting.Light(reinterpret_cast<const BYTE*>(&vertices[i]));
          const bool same = Same(one.r, many[i].r) && Same(one.g, many[i].g) && Same(one.b, many[i].b) &&
                            Same(one.a, many[i].a) && Same(one.sr, many[i].sr) &&
                            Same(one.sg, many[i].sg) && Same(one.sb, many[i].sb);
          EXPECT_TRUE(same) << "vertex " << i << " normalize " << normalize << " directional "
                            << directional << " specular " << specular << ": " << one.r << " "
                            << one.g << " " << one.b << " vs " << many[i].r << " " << many[i].g
                            << " " << many[i].b;
          lit += one.r > 80.0f;
          dark += one.r < 60.0f;
        }
        EXPECT_GT(lit, 10);  // the scene has both brightly lit and dark vertices
        EXPECT_GT(dark, 10);
      }
    }
  }
}

}  // namespace
}  // namespace d3d8_test
