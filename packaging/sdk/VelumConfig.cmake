# The Velum skin engine for CMake: in a project,
#
#   find_package(Velum CONFIG REQUIRED)      # with Velum_DIR or CMAKE_PREFIX_PATH at the kit
#   target_link_libraries(app PRIVATE Velum::Velum)
#
# Velum::Velum is the engine DLL of the architecture being built (bin/x64 or bin/x86), its header
# (include/Velum.h) and the import library the toolchain links with: libVelum_VB6.dll.a for MinGW,
# Velum_VB6.lib for Microsoft's linker (also clang and lld-link for *-windows-msvc). The DLL is
# the target's imported location, so $<TARGET_FILE:Velum::Velum> names it for a copy beside the
# program, which needs it at run time.

get_filename_component(_velum_kit "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(_velum_arch x64)
elseif(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(_velum_arch x86)
else()
  set(Velum_FOUND FALSE)
  set(Velum_NOT_FOUND_MESSAGE "Velum: enable the C or C++ language before find_package(Velum), so the architecture is known")
  return()
endif()

if(MINGW)
  set(_velum_implib "${_velum_kit}/lib/${_velum_arch}/libVelum_VB6.dll.a")
else()
  set(_velum_implib "${_velum_kit}/lib/${_velum_arch}/Velum_VB6.lib")
endif()
set(_velum_dll "${_velum_kit}/bin/${_velum_arch}/Velum_VB6.dll")

foreach(_velum_file IN ITEMS "${_velum_dll}" "${_velum_implib}" "${_velum_kit}/include/Velum.h")
  if(NOT EXISTS "${_velum_file}")
    set(Velum_FOUND FALSE)
    set(Velum_NOT_FOUND_MESSAGE "Velum: the kit at ${_velum_kit} lacks ${_velum_file}")
    return()
  endif()
endforeach()

if(NOT TARGET Velum::Velum)
  add_library(Velum::Velum SHARED IMPORTED)
  set_target_properties(Velum::Velum PROPERTIES
    IMPORTED_LOCATION "${_velum_dll}"
    IMPORTED_IMPLIB "${_velum_implib}"
    INTERFACE_INCLUDE_DIRECTORIES "${_velum_kit}/include")
endif()
set(Velum_FOUND TRUE)
