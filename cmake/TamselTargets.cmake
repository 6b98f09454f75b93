# Flags every Tamsel target shares, and the way a library is declared.

# Warnings of every library, tool, test and benchmark.
add_library(tamsel_warnings INTERFACE)
target_compile_options(tamsel_warnings INTERFACE
  -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Wold-style-cast)
if(TAMSEL_WERROR)
  target_compile_options(tamsel_warnings INTERFACE -Werror)
endif()

# The program's own code also spells out every conversion from bytes to text (tests and
# benchmarks may use plain string literals).
add_library(tamsel_flags INTERFACE)
target_link_libraries(tamsel_flags INTERFACE tamsel_warnings)
target_compile_definitions(tamsel_flags INTERFACE QT_NO_CAST_FROM_ASCII QT_USE_QSTRINGBUILDER)

# tamsel_add_library(NAME FOLDER SOURCES file... [DEPS target...])
# The library's headers are reached as "FOLDER/file.h" through an include root of its own that
# holds only that folder, so a library sees the headers of itself and of the libraries it links,
# and nothing else: an include across the layer order fails to compile.
function(tamsel_add_library name folder)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  set(root ${CMAKE_BINARY_DIR}/include/${folder})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
  target_include_directories(${name} PUBLIC ${root})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE tamsel_flags)
endfunction()
