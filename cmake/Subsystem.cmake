# One static library per subsystem folder, built from every .cpp/.c in that folder (and in the
# sub-folders the caller names). The subsystems share process-wide globals and call each other in
# both directions, so everything that links them uses gprmon_libs, which places all of them in one
# rescanned link group.
set_property(GLOBAL PROPERTY GPRMON_SUBSYSTEMS "")

function(gprmon_subsystem name)
  cmake_parse_arguments(ARG "" "" "SUBDIRS;EXCLUDE" ${ARGN})
  set(globs ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  foreach(sub ${ARG_SUBDIRS})
    list(APPEND globs ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/*.c)
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS ${globs})
  foreach(ex ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${ex})
  endforeach()
  if(NOT sources)
    return()
  endif()
  set(target gpr_${name})
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC PkgConfig::SDL PkgConfig::PCAP PkgConfig::JPEG
                        PkgConfig::FREETYPE ${SGE_LIBRARY} Threads::Threads)
  target_compile_definitions(${target} PUBLIC GPRMON_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  set_property(GLOBAL APPEND PROPERTY GPRMON_SUBSYSTEMS ${target})
endfunction()

function(gprmon_finish_subsystems)
  get_property(libs GLOBAL PROPERTY GPRMON_SUBSYSTEMS)
  list(JOIN libs "," joined)
  add_library(gprmon_libs INTERFACE)
  target_link_libraries(gprmon_libs INTERFACE "$<LINK_GROUP:RESCAN,${joined}>")
  foreach(lib ${libs})
    target_link_libraries(gprmon_libs INTERFACE $<TARGET_PROPERTY:${lib},INTERFACE_LINK_LIBRARIES>)
  endforeach()
  target_include_directories(gprmon_libs INTERFACE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(gprmon_libs INTERFACE GPRMON_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endfunction()
