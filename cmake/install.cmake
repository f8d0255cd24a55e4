# The installed layout (under CMAKE_INSTALL_PREFIX, /usr for the package):
#   bin/quarn, bin/quarn-inspect, ...          the programs
#   share/quarn/                                the demo's data, found as ../share/quarn
#   share/applications/quarn.desktop, share/icons/hicolor/*/apps/quarn.png
#   share/man/man1/<program>.1.gz, share/doc/quarn/{copyright,changelog.gz}
# and CPack's DEB generator for the Debian package. scripts/package.sh drives it.
set(packaging ${CMAKE_SOURCE_DIR}/packaging)
set(packaging_out ${CMAKE_BINARY_DIR}/packaging)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Builds every installed program; scripts/package.sh builds this target alone.
add_custom_target(quarn_installed_programs)
set(packaging_gz_files)

# A man page from packaging/man/<name>.1.in with the version filled in, compressed the
# way Debian wants (gzip -9n: no name or time stamp inside).
function(quarn_man_page name)
    configure_file(${packaging}/man/${name}.1.in ${packaging_out}/${name}.1 @ONLY)
    add_custom_command(OUTPUT ${packaging_out}/${name}.1.gz
        COMMAND gzip -9nc ${packaging_out}/${name}.1 > ${packaging_out}/${name}.1.gz
        DEPENDS ${packaging_out}/${name}.1 VERBATIM)
    set(packaging_gz_files ${packaging_gz_files} ${packaging_out}/${name}.1.gz PARENT_SCOPE)
    install(FILES ${packaging_out}/${name}.1.gz DESTINATION share/man/man1)
endfunction()

# The programs users run: each with its man page when packaging/man has one. A tool
# that isn't built on this configuration (or this branch) is left out.
foreach(program quarn quarn-inspect quarn-convert)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION bin)
        add_dependencies(quarn_installed_programs ${program})
        if(EXISTS ${packaging}/man/${program}.1.in)
            quarn_man_page(${program})
        endif()
    endif()
endforeach()

# The demo's data as the repository holds it: tracked files only, so nothing a run
# leaves in data/ (its log, a recording) is shipped. Outside a git checkout: the
# scene, texture and music files.
execute_process(COMMAND git ls-files -- data WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    OUTPUT_VARIABLE data_files RESULT_VARIABLE git_status ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
if(git_status EQUAL 0 AND data_files)
    string(REPLACE "\n" ";" data_files "${data_files}")
    list(TRANSFORM data_files PREPEND ${CMAKE_SOURCE_DIR}/)
else()
    file(GLOB data_files ${CMAKE_SOURCE_DIR}/data/*.3ds ${CMAKE_SOURCE_DIR}/data/*.jpg
        ${CMAKE_SOURCE_DIR}/data/*.tga ${CMAKE_SOURCE_DIR}/data/*.mp3)
endif()
install(FILES ${data_files} DESTINATION share/quarn
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(FILES ${packaging}/quarn.desktop DESTINATION share/applications)
foreach(size 16 32 48 64 128 256)
    install(FILES ${packaging}/icons/quarn-${size}.png
        DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME quarn.png)
endforeach()

configure_file(${packaging}/changelog.in ${packaging_out}/changelog @ONLY)
add_custom_command(OUTPUT ${packaging_out}/changelog.gz
    COMMAND gzip -9nc ${packaging_out}/changelog > ${packaging_out}/changelog.gz
    DEPENDS ${packaging_out}/changelog VERBATIM)
add_custom_target(quarn_packaging_files ALL DEPENDS ${packaging_gz_files} ${packaging_out}/changelog.gz)
add_dependencies(quarn_installed_programs quarn_packaging_files)
install(FILES ${packaging}/copyright ${packaging_out}/changelog.gz DESTINATION share/doc/quarn)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quarn)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quarn developers")
set(CPACK_PACKAGE_CONTACT "Quarn developers <dev@quarn.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "self-running real-time 3D demo")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Quarn flies a camera through five scripted parts of textured 3D scenes with\n"
    "blended wireframes, sphere maps and fog, to its own looping soundtrack, for\n"
    "about three minutes. A launch dialog asks for the resolution, full screen\n"
    "and sound first. Without a display it can write the demo's frames as PNG\n"
    "images or as a video. The scene inspector quarn-inspect shows what the\n"
    "demo reads from a 3DS scene file.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS ffmpeg)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
