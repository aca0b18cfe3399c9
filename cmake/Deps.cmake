# Windows dependencies: static libraries that scripts/build-deps cross-builds
# from Debian source packages into a cache outside the tree. The cache folder
# is named after the script's own hash (the same rule as in the script), so a
# prefix built by another version of the script is never picked up.

set(SV_DEPS_ARCH "" CACHE STRING "Architecture of the Windows dependencies: x86_64 or i686")
if(NOT SV_DEPS_ARCH)
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86|i.86)$")
    set(SV_DEPS_ARCH i686)
  else()
    set(SV_DEPS_ARCH x86_64)
  endif()
endif()
if(NOT SV_DEPS_ARCH MATCHES "^(x86_64|i686)$")
  message(FATAL_ERROR "SV_DEPS_ARCH must be x86_64 or i686, not '${SV_DEPS_ARCH}'")
endif()

set(_sv_deps_script "${PROJECT_SOURCE_DIR}/scripts/build-deps")
# Editing the script reconfigures, which then asks for the matching build.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${_sv_deps_script}")
file(SHA256 "${_sv_deps_script}" _sv_deps_hash)
string(SUBSTRING "${_sv_deps_hash}" 0 12 _sv_deps_hash)
if(NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
  set(_sv_deps_root "$ENV{XDG_CACHE_HOME}")
else()
  set(_sv_deps_root "$ENV{HOME}/.cache")
endif()
set(SV_DEPS_PREFIX "${_sv_deps_root}/sorivanel-deps/${_sv_deps_hash}/${SV_DEPS_ARCH}")

# The stamp is written last, so a prefix left by an interrupted run is refused.
if(NOT EXISTS "${SV_DEPS_PREFIX}/.complete")
  message(FATAL_ERROR
    "The Windows dependencies for ${SV_DEPS_ARCH} are not built for this version of "
    "scripts/build-deps (looked in ${SV_DEPS_PREFIX}).\n"
    "Run: scripts/build-deps ${SV_DEPS_ARCH}")
endif()

function(_sv_deps_import name file)
  add_library(deps::${name} STATIC IMPORTED GLOBAL)
  set_target_properties(deps::${name} PROPERTIES
    IMPORTED_LOCATION "${SV_DEPS_PREFIX}/lib/${file}"
    INTERFACE_INCLUDE_DIRECTORIES "${SV_DEPS_PREFIX}/include"
    INTERFACE_LINK_LIBRARIES "${ARGN}")
endfunction()

_sv_deps_import(jpeg libjpeg.a)
_sv_deps_import(ogg libogg.a)
_sv_deps_import(vorbis libvorbisfile.a "${SV_DEPS_PREFIX}/lib/libvorbis.a;deps::ogg")
_sv_deps_import(mpg123 libmpg123.a shlwapi)
_sv_deps_import(sndfile libsndfile.a)
_sv_deps_import(xmp libxmp.a)
_sv_deps_import(mms libmms.a ws2_32)
_sv_deps_import(avutil libavutil.a "bcrypt;user32")
_sv_deps_import(avcodec libavcodec.a "deps::avutil;ole32;user32")
_sv_deps_import(avformat libavformat.a deps::avcodec)
# Without it xmp.h declares every function as a DLL import.
set_property(TARGET deps::xmp APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS BUILDING_STATIC)
