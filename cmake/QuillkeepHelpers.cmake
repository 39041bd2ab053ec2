# Compiler settings shared by every target of ours, and the qk_layer() helper.

set(QK_WARNINGS -Wall -Wextra)

# Texts inside the system are GBK (code page 936) byte strings. Sources are
# UTF-8; every translation unit of ours is compiled with -fexec-charset=GBK so
# a plain "..." literal holds the GBK bytes on every target. Where UTF-8 is
# wanted (terminal output of the tools), write u8"..." literals.
set(QK_CHARSET -finput-charset=UTF-8 -fexec-charset=GBK)
# Clang knows no other execution character set than UTF-8: the fuzz build
# (scripts/fuzz) compiles a mirror of the tree whose narrow literals already
# hold GBK escapes (scripts/gbk-literals.py), and says so with this option.
option(QK_GBK_LITERALS_ESCAPED "Sources come from scripts/gbk-literals.py (compilers without -fexec-charset)" OFF)
if(QK_GBK_LITERALS_ESCAPED)
  set(QK_CHARSET -finput-charset=UTF-8)
endif()

if(QK_SANITIZE)
  set(QK_SAN_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined
      -fno-omit-frame-pointer)
  add_compile_options(${QK_SAN_FLAGS})
  add_link_options(${QK_SAN_FLAGS})
endif()

# libFuzzer targets (fuzz/): clang only. Every library of ours gets the
# coverage instrumentation; the fuzzer executables link libFuzzer itself.
option(QK_BUILD_FUZZ "Build the libFuzzer targets (clang; see scripts/fuzz)" OFF)
if(QK_BUILD_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang" OR NOT QK_GBK_LITERALS_ESCAPED)
    message(FATAL_ERROR "QK_BUILD_FUZZ needs clang on the mirrored tree: run scripts/fuzz")
  endif()
  set(QK_FUZZ_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
      -fno-omit-frame-pointer -g)
  add_compile_options(${QK_FUZZ_FLAGS})
  add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
  # Each .exe runs alone: no MinGW runtime DLLs beside it.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
endif()

function(qk_target_defaults target)
  target_compile_options(${target} PRIVATE ${QK_WARNINGS} ${QK_CHARSET})
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
endfunction()

# Translation units that include Qt headers keep the UTF-8 execution
# character set: the C++ library's <chrono>, which Qt includes, holds a
# narrow literal with a character GBK lacks ("\u00b5s"). Their Chinese
# texts are u"..." literals, and GBK text reaches them only through the
# conversions of platform/qt/text_qt.h; scripts/qt-literals.py (a test)
# keeps narrow literals with other than ASCII out of them and of the
# headers of ours they include.
function(qk_qt_target_defaults target)
  target_compile_options(${target} PRIVATE ${QK_WARNINGS} -finput-charset=UTF-8 -fexec-charset=UTF-8)
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
  # No text turns into a QString, or back, by itself.
  target_compile_definitions(${target} PRIVATE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY)
endfunction()

# qk_layer(NAME DIRS... [DEPS libs...]): one static library from every .cpp
# in the given folders (relative to the current source folder).
function(qk_layer name)
  cmake_parse_arguments(ARG "" "" "DIRS;DEPS" ${ARGN})
  set(sources)
  foreach(dir ${ARG_DIRS})
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  add_library(${name} STATIC ${sources})
  qk_target_defaults(${name})
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()
