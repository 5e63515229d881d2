# What `cmake --install build [--prefix DIR]` puts where (README.md, "Install";
# docs/architecture.md, "Install"). Below the prefix:
#
#   lib/lockmere/         the programs, the libraries they link or load by file
#                         name, and the browser extension (addon/): side by side,
#                         as in build/bin
#   bin/                  links to the programs
#   share/applications/   lockmere.desktop
#   share/icons/hicolor/  the program's icon, sized PNGs and the scalable SVG
#   share/metainfo/       the AppStream description
#
# Every installed program and library gets the RUNPATH $ORIGIN and nothing
# else: the tree works wherever it is put (any prefix, DESTDIR) and the loader
# looks in no folder outside it. Everything is in the component "lockmere";
# tests/install adds its check program as the component "install-check", which
# a plain install leaves out.
include(GNUInstallDirs)

set(LOCKMERE_INSTALL_PKGLIBDIR "${CMAKE_INSTALL_LIBDIR}/lockmere")
set(LOCKMERE_INSTALL_FULL_PKGLIBDIR "${CMAKE_INSTALL_FULL_LIBDIR}/lockmere")
set(LOCKMERE_APPSTREAM_ID com.veradynics.lockmere)

# The program's library search looks in the installed folder after its own.
if(IS_ABSOLUTE "${LOCKMERE_INSTALL_FULL_PKGLIBDIR}")
  set_property(SOURCE ${CMAKE_SOURCE_DIR}/platform/Library.cpp TARGET_DIRECTORY platform APPEND PROPERTY
    COMPILE_DEFINITIONS "LOCKMERE_INSTALLED_LIBRARY_DIR=\"${LOCKMERE_INSTALL_FULL_PKGLIBDIR}\"")
endif()

# The links in bin/ point into lib/lockmere/ relatively, so they hold under
# any prefix and DESTDIR.
set(lockmere_link_dir ${CMAKE_BINARY_DIR}/install-links)
file(MAKE_DIRECTORY ${lockmere_link_dir})
file(RELATIVE_PATH lockmere_bin_to_pkglib "${CMAKE_INSTALL_FULL_BINDIR}" "${LOCKMERE_INSTALL_FULL_PKGLIBDIR}")

# lockmere_install_program(TARGET [OPTIONAL] [COMPONENT NAME] [EXCLUDE_FROM_ALL]):
# the program into lib/lockmere/, a link to it into bin/. OPTIONAL: nothing
# when the target does not exist.
function(lockmere_install_program target)
  cmake_parse_arguments(P "OPTIONAL;EXCLUDE_FROM_ALL" "COMPONENT" "" ${ARGN})
  if(P_OPTIONAL AND NOT TARGET ${target})
    return()
  endif()
  if(NOT P_COMPONENT)
    set(P_COMPONENT lockmere)
  endif()
  set(exclude)
  if(P_EXCLUDE_FROM_ALL)
    set(exclude EXCLUDE_FROM_ALL)
  endif()
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN")
  install(TARGETS ${target} RUNTIME DESTINATION ${LOCKMERE_INSTALL_PKGLIBDIR} COMPONENT ${P_COMPONENT} ${exclude})
  file(CREATE_LINK "${lockmere_bin_to_pkglib}/${target}" "${lockmere_link_dir}/${target}" SYMBOLIC)
  install(FILES "${lockmere_link_dir}/${target}" DESTINATION ${CMAKE_INSTALL_BINDIR}
    COMPONENT ${P_COMPONENT} ${exclude})
endfunction()

lockmere_install_program(lockmere)
lockmere_install_program(lockmere-send)
lockmere_install_program(ridgeport-sim)
lockmere_install_program(lockmere-account OPTIONAL)

# The libraries: the two fingerprint libraries and the resource and idle hook
# libraries (loaded by file name), the message bus and the fingerprint workflow
# (linked), the account tools
# (loaded by file name; built once their sources are there).
set(lockmere_libraries Ridgeport Ridgecore platform_bus lockmere_bio Resource LMIDHook)
foreach(optional Orvane Caskle LMModify)
  if(TARGET ${optional})
    list(APPEND lockmere_libraries ${optional})
  endif()
endforeach()
set_target_properties(${lockmere_libraries} PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS ${lockmere_libraries} LIBRARY DESTINATION ${LOCKMERE_INSTALL_PKGLIBDIR} COMPONENT lockmere)

# The browser extension, where the program looks for it: beside itself.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/lockmere/tools/addon/extension/
  DESTINATION ${LOCKMERE_INSTALL_PKGLIBDIR}/addon COMPONENT lockmere)

# The desktop's menu entry, icons and software-centre description.
install(FILES ${CMAKE_SOURCE_DIR}/data/lockmere.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT lockmere)
get_target_property(lockmere_icon_dir Resource LOCKMERE_ICON_DIR)
install(DIRECTORY ${lockmere_icon_dir}/
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor COMPONENT lockmere
  FILES_MATCHING PATTERN lockmere.png PATTERN lockmere.svg)
configure_file(${CMAKE_SOURCE_DIR}/data/${LOCKMERE_APPSTREAM_ID}.metainfo.xml.in
  ${CMAKE_BINARY_DIR}/data/${LOCKMERE_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/data/${LOCKMERE_APPSTREAM_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT lockmere)
