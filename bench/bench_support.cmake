# The benchmark's support library: the corpus generator, the peer-program runner, the archive
# layout reader and the measurements. Included from bench/ and from tests/, because sanitizer builds test it without
# building the benchmark itself.
include_guard(GLOBAL)

set(_bench_dir ${CMAKE_CURRENT_LIST_DIR})
add_library(bench_support STATIC
  ${_bench_dir}/archive_layout.cpp
  ${_bench_dir}/corpus.cpp
  ${_bench_dir}/corpus_audio.cpp
  ${_bench_dir}/corpus_executable.cpp
  ${_bench_dir}/corpus_picture.cpp
  ${_bench_dir}/corpus_text.cpp
  ${_bench_dir}/external_tools.cpp
  ${_bench_dir}/measurements.cpp
  ${_bench_dir}/show_catalogue.cpp
  ${_bench_dir}/small_assets.cpp
)
target_include_directories(bench_support PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(bench_support PUBLIC rarwriter archive)
