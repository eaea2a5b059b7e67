# The fuzz targets' entry points as ordinary libraries, one per target: the libFuzzer programs
# (VORNHOLD_FUZZ, tests/fuzz/CMakeLists.txt) and the corpus replay test (tests/fuzz_corpus) link
# the same code. Included from both; the second inclusion does nothing.
if(TARGET fuzz_support)
  return()
endif()

set(VORNHOLD_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})
add_library(fuzz_support STATIC ${VORNHOLD_FUZZ_DIR}/fuzz_support.cpp)
target_include_directories(fuzz_support PUBLIC ${VORNHOLD_FUZZ_DIR} ${PROJECT_SOURCE_DIR})

# vornhold_fuzz_target(NAME ENTRY LIBS...): NAME.cpp defines vornhold::fuzz::ENTRY.
function(vornhold_fuzz_target name entry)
  add_library(${name}_lib STATIC ${VORNHOLD_FUZZ_DIR}/${name}.cpp)
  target_link_libraries(${name}_lib PUBLIC fuzz_support ${ARGN})
  set_property(GLOBAL APPEND PROPERTY VORNHOLD_FUZZ_TARGET_LIBS ${name}_lib)
  if(VORNHOLD_FUZZ)
    add_executable(${name} ${VORNHOLD_FUZZ_DIR}/fuzz_main.cpp)
    target_compile_definitions(${name} PRIVATE VORNHOLD_FUZZ_ENTRY=${entry})
    target_link_libraries(${name} PRIVATE ${name}_lib)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  endif()
endfunction()

vornhold_fuzz_target(archive_extract_fuzz ArchiveExtractFuzz archive)
vornhold_fuzz_target(archive_cipher_fuzz ArchiveCipherFuzz archive)
vornhold_fuzz_target(unpack20_fuzz Unpack20Fuzz archive)
vornhold_fuzz_target(image_decode_fuzz ImageDecodeFuzz platform_d3dx8)
vornhold_fuzz_target(xfile_parse_fuzz XFileParseFuzz platform_d3dx8)
vornhold_fuzz_target(part_keywords_fuzz PartKeywordsFuzz demo)
vornhold_fuzz_target(mp3_stream_fuzz Mp3StreamFuzz platform_bass)
vornhold_fuzz_target(rc_script_fuzz RcScriptFuzz rccompile_lib)
