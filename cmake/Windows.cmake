# The Windows program, its engine and their tests, cross-built with mingw-w64.

add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion -Werror=return-type)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
# The program folder ships without compiler runtime DLLs.
add_link_options(-static -static-libgcc -static-libstdc++)
# Shipped binaries carry no symbols: a smaller DLL loads faster.
add_link_options($<$<CONFIG:Release>:-s>)
# Sections aligned in the file as in memory: Wine then maps them from the file instead of
# reading each into private memory of the process.
add_link_options(-Wl,--file-alignment=0x1000)

# Shared helpers: errors, text conversion, handle owners, automation calls, the screen's DPI.
add_library(zentora_common STATIC
  common/AppError.cpp
  common/AnsiText.cpp
  common/Automation.cpp
  common/MenuText.cpp
  common/ScreenDpi.cpp)
target_include_directories(zentora_common PUBLIC common)
target_link_libraries(zentora_common PUBLIC ole32 oleaut32 uuid)

# The skin engine.

# The portable core: theme files, the frame's layout and the control families.
add_library(velum_theme_win STATIC ${VELUM_THEME_SOURCES} engine/core/FrameLayout.cpp engine/core/WindowCorners.cpp
  engine/core/ControlKinds.cpp engine/core/ControlPalette.cpp engine/core/SystemColours.cpp
  engine/core/PartColours.cpp engine/core/Contrast.cpp engine/core/ContrastReport.cpp)
target_include_directories(velum_theme_win PUBLIC engine engine/core)

# Which system control a window is built on; tested apart from the engine's calls.
add_library(velum_controls_win STATIC engine/attach/ControlClasses.cpp)
target_include_directories(velum_controls_win PUBLIC engine/attach)
target_link_libraries(velum_controls_win PUBLIC velum_theme_win user32)

# The Windows parts, in folders by concern: attaching (the registry of skinned windows, their
# subclass), the frame, the menus, the controls, and painting.
add_library(Velum_VB6 SHARED
  engine/Velum.cpp
  engine/attach/Engine.cpp
  engine/attach/Exclusions.cpp
  engine/attach/WindowRegistry.cpp
  engine/attach/WindowSubclass.cpp
  engine/attach/ImportPatches.cpp
  engine/attach/AttachSteps.cpp
  engine/frame/FrameWindow.cpp
  engine/frame/FramePaint.cpp
  engine/frame/FrameSizing.cpp
  engine/frame/FrameArithmetic.cpp
  engine/frame/FrameThemeSwitch.cpp
  engine/frame/CaptionButtons.cpp
  engine/frame/ClientArea.cpp
  engine/frame/CompositorFrame.cpp
  engine/menus/MenuBar.cpp
  engine/menus/MenuTracking.cpp
  engine/menus/MdiBarItems.cpp
  engine/menus/PopupMenu.cpp
  engine/controls/ButtonSkin.cpp
  engine/controls/ButtonPaint.cpp
  engine/controls/FieldSkin.cpp
  engine/controls/EditSkin.cpp
  engine/controls/ListSkin.cpp
  engine/controls/ComboSkin.cpp
  engine/controls/CommonControlSkin.cpp
  engine/controls/StatusBarSkin.cpp
  engine/controls/SystemDrawnSkin.cpp
  engine/controls/HeaderSkin.cpp
  engine/controls/ProgressSkin.cpp
  engine/controls/TabSkin.cpp
  engine/controls/BarControlSkin.cpp
  engine/controls/ScrollBarSkin.cpp
  engine/controls/ScrollBarControl.cpp
  engine/controls/ScrolledWindow.cpp
  engine/controls/EtchedLineSkin.cpp
  engine/controls/ChildDialogSkin.cpp
  engine/paint/Painter.cpp
  engine/paint/SystemColourAnswers.cpp
  engine/paint/ThemeResources.cpp
  engine/paint/ThemeArtwork.cpp
  engine/paint/BackBuffer.cpp
  engine/paint/KeptBitmaps.cpp)
set_target_properties(Velum_VB6 PROPERTIES PREFIX "" OUTPUT_NAME Velum_VB6)
# The system's and the library's headers are most of each of its files' compile time: read once.
target_precompile_headers(Velum_VB6 PRIVATE <windows.h> <commctrl.h> <algorithm> <functional> <memory> <mutex>
  <optional> <string> <string_view> <vector>)
target_compile_definitions(Velum_VB6 PRIVATE VELUM_BUILDING)
target_include_directories(Velum_VB6 PUBLIC engine engine/core
  PRIVATE engine/attach engine/frame engine/menus engine/controls engine/paint)
target_link_libraries(Velum_VB6 PRIVATE velum_controls_win velum_theme_win zentora_common gdi32 user32 msimg32)
# Undecorated export names on x86 too, so any program finds them with GetProcAddress by name.
target_link_options(Velum_VB6 PRIVATE -Wl,--kill-at)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # A 32-bit image the loader cannot place where it was linked for is relocated, and every page
  # with an address in it becomes the process's own copy: the engine's whole code, 1.5 MiB.
  # The linker's choice by name hash put it just under Wine's own DLLs (0x6b9c0000, reaching
  # sechost's 0x6bbc0000 once the image passed 2 MiB); this address is below where the system
  # places its DLLs, and above where a process's first heaps and the executable lie.
  target_link_options(Velum_VB6 PRIVATE -Wl,--image-base=0x35000000)
  find_program(VELUM_DLLTOOL NAMES ${TOOLCHAIN_PREFIX}-dlltool REQUIRED)
  add_custom_command(TARGET Velum_VB6 POST_BUILD
    COMMAND ${VELUM_DLLTOOL} -k -d ${PROJECT_SOURCE_DIR}/engine/Velum-x86.def -l $<TARGET_LINKER_FILE:Velum_VB6>
    COMMENT "Import library for the undecorated stdcall exports")
endif()


add_executable(velum-check-win engine/VelumCheck.cpp)
set_target_properties(velum-check-win PROPERTIES OUTPUT_NAME velum-check)
target_link_libraries(velum-check-win PRIVATE velum_theme_win zentora_common)
target_link_options(velum-check-win PRIVATE -municode)

# velum-try: any program under a theme, without changing it.
add_subdirectory(tools/velum-try)

# How a program finds the engine: Velum_VB6.dll from its own folder, each call by name.
add_library(velum_binding STATIC bindings/ModuleSkin.cpp)
target_include_directories(velum_binding PUBLIC bindings PRIVATE engine)
target_link_libraries(velum_binding PUBLIC zentora_common)

# The program.
add_executable(Zentora WIN32
  app/Zentora.cpp
  app/FormMain.cpp
  app/MenuElementArray.cpp
  settings/ModuleIni.cpp
  bindings/ModuleWeb.cpp
  app/Zentora.rc)
target_include_directories(Zentora PRIVATE app settings bindings)
target_link_libraries(Zentora PRIVATE velum_binding zentora_common shell32 user32 gdi32)
target_link_options(Zentora PRIVATE -municode)

# The control gallery, the second program of the release. Its dialog is a library of its own,
# which the tests and the benchmark link with the dialog's resources.
add_library(velum_gallery STATIC gallery/GalleryDialog.cpp gallery/MoreControlsSheet.cpp gallery/ThemeMenu.cpp
  gallery/ThemeSwatches.cpp)
target_include_directories(velum_gallery PUBLIC gallery)
target_link_libraries(velum_gallery PUBLIC velum_binding zentora_common comctl32 user32)
set(VELUM_GALLERY_RESOURCES ${PROJECT_SOURCE_DIR}/gallery/GalleryDialog.rc)
add_executable(VelumGallery WIN32
  gallery/VelumGallery.cpp
  settings/ModuleIni.cpp
  gallery/VelumGallery.rc
  ${VELUM_GALLERY_RESOURCES})
target_include_directories(VelumGallery PRIVATE settings)
target_link_libraries(VelumGallery PRIVATE velum_gallery)
target_link_options(VelumGallery PRIVATE -municode)

# Version resources, install rules of the program folder and the developer kit, release zips.
include(cmake/Release.cmake)

add_subdirectory(tests)
add_subdirectory(bench)
