// Geometry facts of the show's sets that other code (tests, tools) may rely on. Units are the
// scenes' world units; y is up.
#pragma once

namespace showdata {

// Most sets are drawn after RotateY(kSetTurnY) then RotateX(kSetTurnX); their meshes are
// modelled so that this turn puts them upright in the world.
const float kSetTurnY = 3.132f;
const float kSetTurnX = 1.566f;

// The furnished room (one unit is about ten centimetres).
const float kRoomMinX = -17.0f, kRoomMaxX = 17.0f;
const float kRoomFloorY = -27.0f, kRoomCeilingY = 0.0f;
const float kRoomMinZ = -23.0f, kRoomMaxZ = 23.0f;

// The opening corridor and its chamber: a twelve-sided chamber about the y axis (flat walls facing
// +x and -x), crossed along x by a corridor that leaves it on both sides.
const float kChamberApothem = 12.5f;
const float kChamberFloorY = -7.0f, kChamberWallTopY = 8.0f;
const float kCorridorHalfWidth = 3.1f, kCorridorCeilingY = -1.0f;
const float kCorridorWestEndX = -34.0f, kCorridorEastEndX = 20.0f;

// The jellyfish hall: a sixteen-sided hall about the y axis.
const float kHallApothem = 18.0f, kHallFloorY = -5.0f, kHallCeilingY = 16.0f;

}  // namespace showdata
