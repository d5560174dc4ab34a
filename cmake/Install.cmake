# Installation: the program's folder under lib/veltracdrip (programs, libraries loaded by
# name, help), launchers on the path, a desktop entry and icons in the usual XDG places; and
# a Debian package of the same layout.
include(GNUInstallDirs)
# Installing and packaging take what was built; the tests that run them run after the build.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)
set(VELTRA_INSTALL_FOLDER ${CMAKE_INSTALL_LIBDIR}/veltracdrip)

# Everything in the program's folder carries $ORIGIN as its run path, so the folder moves as
# a whole. Settings files and demo output of a development run stay behind.
install(DIRECTORY ${VELTRA_BIN_DIR}/ DESTINATION ${VELTRA_INSTALL_FOLDER} USE_SOURCE_PERMISSIONS
        PATTERN "*.ini" EXCLUDE PATTERN "*.wav" EXCLUDE PATTERN "*.MP3" EXCLUDE PATTERN "*.ogg" EXCLUDE
        PATTERN "*.flac" EXCLUDE PATTERN "*.opus" EXCLUDE
        PATTERN "*.so" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
# The folder is installed as files, which install --strip (and CPack) leave as they are.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        file(GLOB programs \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${VELTRA_INSTALL_FOLDER}/*\")
        foreach(program IN LISTS programs)
            file(READ \"\${program}\" magic LIMIT 4 HEX)
            if(magic STREQUAL \"7f454c46\")
                execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded
                                --remove-section=.comment --remove-section=.note \"\${program}\")
            endif()
        endforeach()
    endif()")

# Launchers: links into the program's folder (the programs find their folder through the link).
foreach(program VeltraCDRip veltracdrip-cli cddb-dump)
    install(CODE "
        file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
        if(EXISTS \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${VELTRA_INSTALL_FOLDER}/${program}\")
            file(CREATE_LINK \"../${VELTRA_INSTALL_FOLDER}/${program}\"
                 \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\" SYMBOLIC)
        endif()")
endforeach()

install(FILES ${CMAKE_SOURCE_DIR}/packaging/veltracdrip.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 32 48 256)
    set(icon ${CMAKE_BINARY_DIR}/app/res/art/icons/app_${size}.png)
    install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME veltracdrip.png OPTIONAL)
endforeach()

# Manual pages, made from the programs' own --help at build time so that they never drift.
find_program(VELTRA_HELP2MAN help2man)
set(VELTRA_MAN_DIR ${CMAKE_BINARY_DIR}/man)
set(VELTRA_MAN_PAGES)
if(VELTRA_HELP2MAN)
    set(VELTRA_MAN_NAMES
        "VeltraCDRip|audio-CD ripper with a window"
        "veltracdrip-cli|rip the tracks of an audio CD into WAV, MP3 or Ogg Vorbis files"
        "cddb-dump|print the fields of a CDDB disc record")
    foreach(entry IN LISTS VELTRA_MAN_NAMES)
        string(REPLACE "|" ";" entry "${entry}")
        list(GET entry 0 program)
        list(GET entry 1 name)
        if(NOT TARGET ${program})
            continue()
        endif()
        set(include ${CMAKE_SOURCE_DIR}/packaging/man/${program}.h2m)
        set(page ${VELTRA_MAN_DIR}/${program}.1)
        add_custom_command(OUTPUT ${page}.gz
            COMMAND ${CMAKE_COMMAND} -E make_directory ${VELTRA_MAN_DIR}
            COMMAND ${VELTRA_HELP2MAN} --no-info --section 1 --name ${name} --include ${include}
                    --output ${page} $<TARGET_FILE:${program}>
            COMMAND gzip -9nf ${page}
            DEPENDS ${program} ${include}
            COMMENT "Manual page of ${program}"
            VERBATIM)
        list(APPEND VELTRA_MAN_PAGES ${page}.gz)
    endforeach()
    add_custom_target(veltra_manpages ALL DEPENDS ${VELTRA_MAN_PAGES})
    install(FILES ${VELTRA_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
    message(STATUS "help2man not found: no manual pages (scripts/setup installs it)")
endif()

install(FILES ${CMAKE_SOURCE_DIR}/packaging/veltracdrip-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME veltracdrip-cli)

# The release's date, for the AppStream release and the Debian changelog.
set(VELTRA_RELEASE_DATE 2026-12-08)
set(VELTRA_RELEASE_DAY "Tue, 08 Dec 2026 00:00:00 +0000")

# AppStream metadata, with screenshots only under a published https base URL.
set(VELTRA_SCREENSHOT_BASE_URL "" CACHE STRING
    "https URL under which docs/screenshots/*.png are published (none: no screenshots listed)")
set(VELTRA_METAINFO_IN ${CMAKE_SOURCE_DIR}/packaging/veltracdrip.metainfo.xml.in)
set(VELTRA_METAINFO_OUT ${CMAKE_BINARY_DIR}/packaging/example.veltracdrip.VeltraCDRip.metainfo.xml)
include(${CMAKE_CURRENT_LIST_DIR}/Metainfo.cmake)
install(FILES ${VELTRA_METAINFO_OUT} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# What Debian asks of every package's doc folder: the copyright file and a changelog.
set(VELTRA_CHANGELOG ${CMAKE_BINARY_DIR}/packaging/changelog)
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${VELTRA_CHANGELOG} @ONLY)
add_custom_command(OUTPUT ${VELTRA_CHANGELOG}.gz
    COMMAND gzip -9nkf ${VELTRA_CHANGELOG}
    DEPENDS ${VELTRA_CHANGELOG}
    VERBATIM)
add_custom_target(veltra_changelog ALL DEPENDS ${VELTRA_CHANGELOG}.gz)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${VELTRA_CHANGELOG}.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/veltracdrip)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veltracdrip)
set(CPACK_PACKAGE_VENDOR "VeltraCDRip")
set(CPACK_PACKAGE_CONTACT "VeltraCDRip developers <dev@veltracdrip.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Audio-CD ripper: one WAV, MP3, Ogg Vorbis, FLAC or Opus file per track")
# The long description; CPack puts the summary above it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Lists the tracks of the audio CD in the first drive that answers and rips
every ticked track into a file of its own: WAV, or MP3, Ogg Vorbis, FLAC and Opus through
encoder libraries loaded at run time. A window program (VeltraCDRip) and a
console ripper (veltracdrip-cli) that can also write CUE sheets and rip logs
and verify tracks against AccurateRip responses.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libcurl is loaded at the first lookup, so the linker's dependency scan does not see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4")
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
set(CPACK_STRIP_FILES TRUE)
# The program's own libraries live in its folder, found through $ORIGIN.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${VELTRA_BIN_DIR})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
