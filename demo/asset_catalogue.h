// The catalogue of archive entries the show reads, in catalogue order. Scenes address assets by
// their position in these tables, which they look up by file name at compile time
// (demo/catalogue_positions.h). This header depends on nothing, so the data generator in tools/
// includes it too: the show and the data it plays share one list of names.
#pragma once

const int g_textureCount = 70;
const int g_meshCount = 20;
const int g_roomMeshCount = 32;

constexpr const char* g_textureEntries[g_textureCount] = {
    "data\\graphics\\lataus.bmp",          // 0
    "data\\graphics\\feidi.tga",           // 1
    "data\\graphics\\superstar.bmp",       // 2
    "data\\graphics\\nodelab.tga",         // 3
    "data\\graphics\\flare.bmp",           // 4
    "data\\graphics\\texture01.tga",       // 5
    "data\\graphics\\white.tga",           // 6
    "data\\graphics\\meduca.tga",          // 7
    "data\\graphics\\flare01.bmp",         // 8
    "data\\graphics\\respect.tga",         // 9
    "data\\graphics\\page03.bmp",          // 10
    "data\\graphics\\scene1\\floor2.tga",  // 11
    "data\\graphics\\scene1\\floor.tga",   // 12
    "data\\graphics\\scene1\\wall.tga",    // 13
    "data\\graphics\\scene1\\wall_dark.tga",  // 14
    "data\\graphics\\scene2\\mdark.tga",   // 15
    "data\\graphics\\scene2\\metal.tga",   // 16
    "data\\graphics\\scene2\\steelplate.tga",  // 17
    "data\\graphics\\valo.tga",            // 18
    "data\\graphics\\tuvesk.tga",          // 19
    "data\\graphics\\plovetta.tga",        // 20
    "data\\graphics\\zarnik.tga",          // 21
    "data\\graphics\\oru.tga",             // 22
    "data\\graphics\\code.tga",            // 23
    "data\\graphics\\music.tga",           // 24
    "data\\graphics\\3d.tga",              // 25
    "data\\graphics\\jelly04.tga",         // 26
    "data\\graphics\\tr01.tga",            // 27
    "data\\graphics\\tr02.tga",            // 28
    "data\\graphics\\tr03.tga",            // 29
    "data\\graphics\\tr04.tga",            // 30
    "data\\graphics\\tviiva.tga",          // 31
    "data\\graphics\\nlab02.tga",          // 32
    "data\\graphics\\nlab03.tga",          // 33
    "data\\graphics\\nlab04.tga",          // 34
    "data\\graphics\\rac01.tga",           // 35
    "data\\graphics\\rac02.tga",           // 36
    "data\\graphics\\rac03.tga",           // 37
    "data\\graphics\\rac04.tga",           // 38
    "data\\graphics\\kw01.tga",            // 39
    "data\\graphics\\kw02.tga",            // 40
    "data\\graphics\\kw03.tga",            // 41
    "data\\graphics\\kw04.tga",            // 42
    "data\\graphics\\p4_01.tga",           // 43
    "data\\graphics\\p4_02.tga",           // 44
    "data\\graphics\\p4_03.tga",           // 45
    "data\\graphics\\jelly01.tga",         // 46
    "data\\graphics\\jelly02.tga",         // 47
    "data\\graphics\\jelly03.tga",         // 48
    "data\\graphics\\the.tga",             // 49
    "data\\graphics\\mota.tga",            // 50
    "data\\graphics\\end.tga",             // 51
    "data\\graphics\\esc.tga",             // 52
    "data\\graphics\\room\\walls.bmp",     // 53
    "data\\graphics\\room\\floor.bmp",     // 54
    "data\\graphics\\room\\roof.bmp",      // 55
    "data\\graphics\\room\\beanibag.bmp",  // 56
    "data\\graphics\\room\\wlight.bmp",    // 57
    "data\\graphics\\room\\wdark.bmp",     // 58
    "data\\graphics\\room\\brushed.bmp",   // 59
    "data\\graphics\\room\\pottery.bmp",   // 60
    "data\\graphics\\room\\bdark.bmp",     // 61
    "data\\graphics\\room\\blight.bmp",    // 62
    "data\\graphics\\room\\poster1.bmp",   // 63
    "data\\graphics\\room\\poster2.bmp",   // 64
    "data\\graphics\\room\\vinylcover.bmp",  // 65
    "data\\graphics\\room\\pron1.bmp",     // 66
    "data\\graphics\\room\\pron2.bmp",     // 67
    "data\\graphics\\room\\mcover1.bmp",   // 68
    "data\\graphics\\room\\mcover2.bmp",   // 69
};

constexpr const char* g_meshEntries[g_meshCount] = {
    "data\\meshes\\kama.x",                 // 0
    "data\\meshes\\qtio.x",                 // 1
    "data\\meshes\\plomppo.x",              // 2
    "data\\meshes\\taso.x",                 // 3
    "data\\meshes\\bling.x",                // 4
    "data\\meshes\\knotti.x",               // 5
    "data\\meshes\\ballo.x",                // 6
    "data\\meshes\\bollo.x",                // 7
    "data\\meshes\\plontsi.x",              // 8
    "data\\meshes\\tapitus.x",              // 9
    "data\\meshes\\mude.x",                 // 10
    "data\\meshes\\scene1\\s1_core.x",      // 11
    "data\\meshes\\scene1\\s1_corridor.x",  // 12
    "data\\meshes\\scene1\\s1_floor.x",     // 13
    "data\\meshes\\scene1\\s1_huone.x",     // 14
    "data\\meshes\\scene1\\s1_roof.x",      // 15
    "data\\meshes\\scene1\\s1_tube.x",      // 16
    "data\\meshes\\scene2\\s2_huone.x",     // 17
    "data\\meshes\\scene2\\s2_keskio.x",    // 18
    "data\\meshes\\scene2\\s2_piikit.x",    // 19
};

constexpr const char* g_roomMeshEntries[g_roomMeshCount] = {
    "data\\meshes\\room\\walls.x",     // 0
    "data\\meshes\\room\\floor.x",     // 1
    "data\\meshes\\room\\ceil.x",      // 2
    "data\\meshes\\room\\beanie.x",    // 3
    "data\\meshes\\room\\beanie2.x",   // 4
    "data\\meshes\\room\\table01.x",   // 5
    "data\\meshes\\room\\shelf.x",     // 6
    "data\\meshes\\room\\table02.x",   // 7
    "data\\meshes\\room\\speakers.x",  // 8
    "data\\meshes\\room\\elements.x",  // 9
    "data\\meshes\\room\\cactus.x",    // 10
    "data\\meshes\\room\\jar.x",       // 11
    "data\\meshes\\room\\book01.x",    // 12
    "data\\meshes\\room\\book02.x",    // 13
    "data\\meshes\\room\\poster1.x",   // 14
    "data\\meshes\\room\\poster2.x",   // 15
    "data\\meshes\\room\\vinyls.x",    // 16
    "data\\meshes\\room\\mag01.x",     // 17
    "data\\meshes\\room\\mag02.x",     // 18
    "data\\meshes\\room\\slitz1.x",    // 19
    "data\\meshes\\room\\slitz2.x",    // 20
    "data\\meshes\\room\\lava.x",      // 21
    "data\\meshes\\room\\lballs.x",    // 22
    "data\\meshes\\room\\dframe.x",    // 23
    "data\\meshes\\room\\door.x",      // 24
    "data\\meshes\\room\\knob.x",      // 25
    "data\\meshes\\room\\fcenter.x",   // 26
    "data\\meshes\\room\\lamp.x",      // 27
    "data\\meshes\\room\\vplay01.x",   // 28
    "data\\meshes\\room\\vplay02.x",   // 29
    "data\\meshes\\room\\fan.x",       // 30
    "data\\meshes\\room\\llamp.x",     // 31
};

// Video frame sets: entry names made with sprintf from the pattern and n = 1 .. count. Every
// frame is 80 x 35 bytes.
const int g_videoFrameWidth = 80;
const int g_videoFrameHeight = 35;
const int g_videoFrameBytes = 2800;
const char* const g_video01Pattern = "data\\video01\\vid%03d.raw";
const int g_video01FrameCount = 120;
const char* const g_video02Pattern = "data\\video02\\omol%02d.raw";
const int g_video02FrameCount = 86;
const char* const g_video03Pattern = "data\\video03\\omol%03d.raw";
const int g_video03FrameCount = 181;

// The two raw maps: a 256 x 256 table, and a 400 x 35 bitmap whose 0 is transparent.
const char* const g_txt2Entry = "data\\graphics\\txt2.raw";
const int g_txt2Bytes = 65536;
const char* const g_tekstiEntry = "data\\graphics\\teksti.raw";
const int g_tekstiWidth = 400;
const int g_tekstiHeight = 35;

// The secret page's two pictures, read when that page begins.
const char* const g_secretPictureEntries[2] = {"data\\graphics\\sp01.jpg", "data\\graphics\\sp02.jpg"};
