# kelvo_component_bundle(<module target> NAME <name> INFO_PLIST <file> OUTPUT_DIR <dir>
#                        [RESOURCES <file>... ] [RESOURCE_DIR <subfolder>])
# Lays a MODULE target out as a component bundle:
#   <dir>/<name>.component/Contents/Info.plist        (the file given)
#   <dir>/<name>.component/Contents/MacOS/<name>      (the executable)
#   <dir>/<name>.component/Contents/Resources/...     (the resources)
# The executable is built with hidden symbols; static libraries linked into it export
# nothing, so only the entries the product marks with default visibility are seen. It links
# the shared platform library, so host and component share one registry.
function(kelvo_component_bundle target)
  cmake_parse_arguments(ARG "" "NAME;INFO_PLIST;OUTPUT_DIR;RESOURCE_DIR" "RESOURCES" ${ARGN})
  set(bundle ${ARG_OUTPUT_DIR}/${ARG_NAME}.component)
  set_target_properties(${target} PROPERTIES
    PREFIX "" SUFFIX "" OUTPUT_NAME ${ARG_NAME}
    CXX_VISIBILITY_PRESET hidden C_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
    LIBRARY_OUTPUT_DIRECTORY ${bundle}/Contents/MacOS)
  target_link_options(${target} PRIVATE -Wl,--exclude-libs,ALL)
  target_link_libraries(${target} PRIVATE kelvo_platform)
  configure_file(${ARG_INFO_PLIST} ${bundle}/Contents/Info.plist COPYONLY)
  file(MAKE_DIRECTORY ${bundle}/Contents/Resources)
  foreach(resource ${ARG_RESOURCES})
    get_filename_component(resource_name ${resource} NAME)
    set(destination ${bundle}/Contents/Resources)
    if(ARG_RESOURCE_DIR)
      set(destination ${destination}/${ARG_RESOURCE_DIR})
    endif()
    configure_file(${resource} ${destination}/${resource_name} COPYONLY)
  endforeach()
endfunction()
