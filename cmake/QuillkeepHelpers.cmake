# Compiler settings shared by every target of ours, and the qk_layer() helper.

set(QK_WARNINGS -Wall -Wextra)

# Texts inside the system are GBK (code page 936) byte strings. Sources are
# UTF-8; every translation unit of ours is compiled with -fexec-charset=GBK so
# a plain "..." literal holds the GBK bytes on every target. Where UTF-8 is
# wanted (terminal output of the tools), write u8"..." literals.
set(QK_CHARSET -finput-charset=UTF-8 -fexec-charset=GBK)

if(QK_SANITIZE)
  set(QK_SAN_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined
      -fno-omit-frame-pointer)
  add_compile_options(${QK_SAN_FLAGS})
  add_link_options(${QK_SAN_FLAGS})
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
