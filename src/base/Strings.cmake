# The string tables are data files compiled into the program, and the version header.
configure_file(${CMAKE_CURRENT_LIST_DIR}/fenno_version.h.in
               ${CMAKE_CURRENT_BINARY_DIR}/generated/fenno_version.h @ONLY)

file(GLOB string_files CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/strings/*.txt)
set(string_inputs "")
foreach(file IN LISTS string_files)
  get_filename_component(name ${file} NAME)
  list(APPEND string_inputs "${name}=${file}")
endforeach()
# Generated when CMake configures; editing a data file makes the build configure again.
set(strings_cpp ${CMAKE_CURRENT_BINARY_DIR}/generated/string_data.cpp)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${string_files} ${PROJECT_SOURCE_DIR}/cmake/EmbedTextFiles.cmake)
set(OUTPUT ${strings_cpp})
set(NAMESPACE fenno::string_data)
set(INPUTS ${string_inputs})
include(${PROJECT_SOURCE_DIR}/cmake/EmbedTextFiles.cmake)
