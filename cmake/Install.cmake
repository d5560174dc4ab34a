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
        PATTERN "*.flac" EXCLUDE PATTERN "*.opus" EXCLUDE)

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

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veltracdrip)
set(CPACK_PACKAGE_VENDOR "VeltraCDRip")
set(CPACK_PACKAGE_CONTACT "VeltraCDRip developers <dev@veltracdrip.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Audio-CD ripper: one WAV, MP3, Ogg Vorbis, FLAC or Opus file per track")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
set(CPACK_STRIP_FILES TRUE)
# The program's own libraries live in its folder, found through $ORIGIN.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${VELTRA_BIN_DIR})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
