# The AppStream metadata from packaging/veltracdrip.metainfo.xml.in. Included by Install.cmake,
# or run with -P (the packaging test does) given VELTRA_METAINFO_IN, VELTRA_METAINFO_OUT,
# PROJECT_VERSION, VELTRA_RELEASE_DATE and, optionally, VELTRA_SCREENSHOT_BASE_URL.
# Screenshots are listed only under an https base URL that holds docs/screenshots/*.png.
set(VELTRA_METAINFO_SCREENSHOTS "")
if(VELTRA_SCREENSHOT_BASE_URL)
    if(NOT VELTRA_SCREENSHOT_BASE_URL MATCHES "^https://[^/ ]+")
        message(FATAL_ERROR "VELTRA_SCREENSHOT_BASE_URL must be an https URL")
    endif()
    string(REGEX REPLACE "/+$" "" veltra_base "${VELTRA_SCREENSHOT_BASE_URL}")
    set(veltra_type " type=\"default\"")
    foreach(veltra_shot
            "main-window|The track list of a disc, every track ticked"
            "rip-progress|A track being ripped"
            "options|The output folder and format"
            "main-window-menu|The File menu")
        string(REPLACE "|" ";" veltra_shot "${veltra_shot}")
        list(GET veltra_shot 0 veltra_file)
        list(GET veltra_shot 1 veltra_caption)
        string(APPEND VELTRA_METAINFO_SCREENSHOTS
               "    <screenshot${veltra_type}>\n      <caption>${veltra_caption}</caption>\n"
               "      <image>${veltra_base}/${veltra_file}.png</image>\n    </screenshot>\n")
        set(veltra_type "")
    endforeach()
    set(VELTRA_METAINFO_SCREENSHOTS
        "  <screenshots>\n${VELTRA_METAINFO_SCREENSHOTS}  </screenshots>\n")
endif()
configure_file(${VELTRA_METAINFO_IN} ${VELTRA_METAINFO_OUT} @ONLY)
