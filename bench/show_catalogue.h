// The show's own archive for the benchmark: every entry of a lab.ac read back, and the names the
// show asks for in the order it asks (demo/asset_catalogue.h), so that loading it can be timed as
// packed plain and solid.
#pragma once

#include <string>
#include <vector>

#include "bench/corpus.h"

// Every entry of the archive at `path`, in archive order, read through our reader. Returns false
// with a one-line reason when the file is not an archive of our writer's layout or an entry fails.
bool ReadShowArchive(const std::string& path, std::vector<CorpusFile>& entries, std::string& error);

// Every catalogue entry in catalogue order: the textures, the three video frame sets, the two maps,
// the meshes, the room meshes and the secret page's pictures. (The show itself loads only one of
// the first two frame sets, and the secret pictures later, when their page begins.)
std::vector<std::string> CatalogueEntryNames();
