# Releases: the version every binary carries, the program folder and the developer kit as
# install components, and the CPack configurations that zip them (scripts/release.sh).
#
#   program  the program folder as it ships (also what the default install puts in dist/<preset>)
#   sdk      the developer kit; the kit spans both architectures, so each build tree installs
#            its own binaries under bin/<arch> and lib/<arch>, and CPack packs both trees

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VELUM_ARCH x64)
  set(VELUM_PROGRAM_ARCH win64)
  set(VELUM_DLLTOOL_MACHINE i386:x86-64)
else()
  set(VELUM_ARCH x86)
  set(VELUM_PROGRAM_ARCH win32)
  set(VELUM_DLLTOOL_MACHINE i386)
endif()

# velum_version_info(TARGET DESCRIPTION PRODUCT): gives TARGET a VERSIONINFO resource with the
# project version, so Explorer's Details tab and GetFileVersionInfo show it.
function(velum_version_info target description product)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    set(VELUM_RC_FILETYPE VFT_DLL)
  else()
    set(VELUM_RC_FILETYPE VFT_APP)
  endif()
  set(VELUM_RC_TARGET ${target})
  set(VELUM_RC_DESCRIPTION "${description}")
  set(VELUM_RC_PRODUCT "${product}")
  set(parts ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH} ${PROJECT_VERSION_TWEAK})
  list(TRANSFORM parts REPLACE "^$" "0")
  list(LENGTH parts count)
  while(count LESS 4)
    list(APPEND parts 0)
    math(EXPR count "${count} + 1")
  endwhile()
  list(JOIN parts "," VELUM_VERSION_COMMAS)
  file(READ ${PROJECT_SOURCE_DIR}/cmake/VersionInfo.rc.in template)
  string(CONFIGURE "${template}" content @ONLY)
  set(rc ${CMAKE_BINARY_DIR}/version/${target}.rc)
  file(GENERATE OUTPUT ${rc} CONTENT "${content}")
  target_sources(${target} PRIVATE ${rc})
endfunction()

velum_version_info(Zentora "Zentora skin demo" Zentora)
velum_version_info(VelumGallery "Velum control gallery" Velum)
velum_version_info(Velum_VB6 "Velum skin engine" Velum)
velum_version_info(velum-check-win "Velum theme file checker" Velum)

# Import libraries for Microsoft's linker, made from the .def files as the mingw ones are. The
# x86 file lists the stdcall decorations (-k binds them to the undecorated exports); x64 has
# no decorations, so its file is the same list without them.
find_program(VELUM_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14 REQUIRED)
set(velum_x86_def ${PROJECT_SOURCE_DIR}/engine/Velum-x86.def)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${velum_x86_def})
if(VELUM_ARCH STREQUAL "x86")
  set(velum_def ${velum_x86_def})
  set(velum_dlltool_flags -k)
else()
  file(STRINGS ${velum_x86_def} lines REGEX "^[^;]")
  list(TRANSFORM lines REPLACE "@[0-9]+$" "")
  list(JOIN lines "\n" def)
  set(velum_def ${CMAKE_BINARY_DIR}/Velum-x64.def)
  file(CONFIGURE OUTPUT ${velum_def} CONTENT "; Velum-x86.def without the stdcall decorations.\n${def}\n")
  set(velum_dlltool_flags)
endif()
set(VELUM_MSVC_IMPORT_LIB ${CMAKE_BINARY_DIR}/Velum_VB6.lib)
add_custom_command(OUTPUT ${VELUM_MSVC_IMPORT_LIB}
  COMMAND ${VELUM_LLVM_DLLTOOL} ${velum_dlltool_flags} -m ${VELUM_DLLTOOL_MACHINE} -d ${velum_def}
          -l ${VELUM_MSVC_IMPORT_LIB}
  DEPENDS ${velum_def}
  COMMENT "Import library for Microsoft's linker")
add_custom_target(velum_msvc_import_lib ALL DEPENDS ${VELUM_MSVC_IMPORT_LIB})

# The program folder.
install(TARGETS Zentora VelumGallery RUNTIME DESTINATION . COMPONENT program)
install(FILES $<TARGET_FILE:Velum_VB6> DESTINATION . COMPONENT program)
install(DIRECTORY Skin/ DESTINATION Skin COMPONENT program)
install(FILES packaging/ReadMe.txt DESTINATION . COMPONENT program)

# The developer kit. Not part of the default install: only CPack (or --component sdk) makes it.
install(FILES $<TARGET_FILE:Velum_VB6> DESTINATION bin/${VELUM_ARCH} COMPONENT sdk EXCLUDE_FROM_ALL)
install(TARGETS velum-check-win RUNTIME DESTINATION bin/${VELUM_ARCH} COMPONENT sdk EXCLUDE_FROM_ALL)
# Tools that join the kit, with the version, when they are part of the build. Deferred to the
# end of the project so it finds them wherever they are defined.
function(velum_kit_tools)
  foreach(tool velum-try velum_try_hook)
    if(TARGET ${tool})
      velum_version_info(${tool} "Velum developer tool" Velum)
      install(FILES $<TARGET_FILE:${tool}> DESTINATION bin/${VELUM_ARCH} COMPONENT sdk EXCLUDE_FROM_ALL)
    endif()
  endforeach()
endfunction()
cmake_language(DEFER CALL velum_kit_tools)
install(FILES $<TARGET_LINKER_FILE:Velum_VB6> ${VELUM_MSVC_IMPORT_LIB}
  DESTINATION lib/${VELUM_ARCH} COMPONENT sdk EXCLUDE_FROM_ALL)
install(FILES engine/Velum.h DESTINATION include COMPONENT sdk EXCLUDE_FROM_ALL)
install(FILES engine/Velum.bas DESTINATION vb COMPONENT sdk EXCLUDE_FROM_ALL)
install(FILES docs/engine.md docs/theme-format.md DESTINATION docs COMPONENT sdk EXCLUDE_FROM_ALL)
install(DIRECTORY Skin/ DESTINATION themes COMPONENT sdk EXCLUDE_FROM_ALL)
install(DIRECTORY samples/ DESTINATION samples COMPONENT sdk EXCLUDE_FROM_ALL)
# The CMake package: find_package(Velum CONFIG) with the kit as a prefix. One kit serves both
# architectures, so its version file does not check the pointer size (VelumConfig.cmake picks
# the architecture's files).
include(CMakePackageConfigHelpers)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/VelumConfigVersion.cmake VERSION ${PROJECT_VERSION}
  COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
install(FILES packaging/sdk/VelumConfig.cmake ${CMAKE_BINARY_DIR}/VelumConfigVersion.cmake
  DESTINATION lib/cmake/Velum COMPONENT sdk EXCLUDE_FROM_ALL)

# CPack configurations, one per zip: cpack --config build/<preset>/CPack<Name>.cmake. The kit
# is packed from the build folders of both architectures.
set(VELUM_RELEASE_BUILDS "${PROJECT_SOURCE_DIR}/build/win64;${PROJECT_SOURCE_DIR}/build/win32"
  CACHE STRING "The x64 and x86 build folders the developer kit is packed from")
set(VELUM_RELEASE_DIR "${PROJECT_SOURCE_DIR}/dist" CACHE PATH "Where cpack puts the zips")

function(velum_cpack_config name file_name description projects)
  set(CPACK_PACKAGE_FILE_NAME ${file_name})
  set(VELUM_CPACK_DESCRIPTION "${description}")
  set(CPACK_INSTALL_CMAKE_PROJECTS "${projects}")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/CPackZip.cmake.in ${CMAKE_BINARY_DIR}/CPack${name}.cmake @ONLY)
endfunction()

velum_cpack_config(Program Zentora-${PROJECT_VERSION}-${VELUM_PROGRAM_ARCH}
  "Zentora, a demonstration of the Velum skin engine" "${CMAKE_BINARY_DIR};Zentora;program;/")
set(sdk_projects)
foreach(build IN LISTS VELUM_RELEASE_BUILDS)
  list(APPEND sdk_projects ${build} Zentora sdk /)
endforeach()
velum_cpack_config(Sdk Velum-SDK-${PROJECT_VERSION}
  "The Velum skin engine for developers: DLLs, header, import libraries, VB declarations, tools"
  "${sdk_projects}")
