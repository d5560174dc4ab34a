# Targets and functions the build files share.

# The exported C interfaces and records under include/, for every module and C program.
add_library(veltra_headers INTERFACE)
target_include_directories(veltra_headers INTERFACE ${PROJECT_SOURCE_DIR}/include)

# The repository as an include root ("app/cd/Drive.h", "platform/Event.h"), for the program's
# folders and the tests. Linked PRIVATE: a module that uses it does not hand it on, so a library
# cannot reach the program through another's include folders. What a folder may include is
# checked by the include_rules test against cmake/IncludeRules.txt.
add_library(veltra_source_root INTERFACE)
target_include_directories(veltra_source_root INTERFACE ${PROJECT_SOURCE_DIR})

# veltra_c_library(<name> CORE <core target> EXPORT_MAP <version script>
#                  CORE_SOURCES <files...> SOURCES <files...> [WHOLE_CORE]
#                  [CORE_LIBS <libs...>] [DEFINITIONS <definitions...>])
# A C library in two parts: the static core <core> that the tests link, with this folder as its
# include root, and the shared library <name> built from SOURCES around it, exporting only what
# the version script lists. WHOLE_CORE links every object of the core (where the exports live in
# the core rather than in SOURCES). DEFINITIONS are for the shared library's own sources.
function(veltra_c_library name)
    cmake_parse_arguments(L "WHOLE_CORE" "CORE;EXPORT_MAP"
                          "CORE_SOURCES;SOURCES;CORE_LIBS;DEFINITIONS" ${ARGN})
    if(NOT L_CORE OR NOT L_EXPORT_MAP OR NOT L_CORE_SOURCES OR NOT L_SOURCES)
        message(FATAL_ERROR "veltra_c_library(${name}): CORE, EXPORT_MAP, CORE_SOURCES and SOURCES are needed")
    endif()
    if(L_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "veltra_c_library(${name}): unknown arguments ${L_UNPARSED_ARGUMENTS}")
    endif()
    get_filename_component(map ${L_EXPORT_MAP} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})

    add_library(${L_CORE} STATIC ${L_CORE_SOURCES})
    target_include_directories(${L_CORE} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${L_CORE} PUBLIC veltra_headers ${L_CORE_LIBS})

    add_library(${name} SHARED ${L_SOURCES})
    target_compile_definitions(${name} PRIVATE ${L_DEFINITIONS})
    if(L_WHOLE_CORE)
        target_link_libraries(${name} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${L_CORE}>")
    else()
        target_link_libraries(${name} PRIVATE ${L_CORE})
    endif()
    target_link_libraries(${name} PUBLIC veltra_headers)
    target_link_options(${name} PRIVATE "LINKER:--version-script=${map}")
    set_target_properties(${name} PROPERTIES LINK_DEPENDS ${map})
endfunction()
