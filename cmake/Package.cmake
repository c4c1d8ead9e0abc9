# The release package: cmake --build --preset windows --target package gives
# build/windows/vorlund-<version>-win64.zip with the three programs, an example
# configuration, the banner, the administrator's guide and the policy template. Both programs are
# signed when a certificate is given (cmake/Sign.cmake).
install(TARGETS vorlund vorlundcheck vorlundpublish RUNTIME DESTINATION .)
install(FILES dist/vorlund.INI dist/LIESMICH.txt examples/banner.jpg DESTINATION .)
# The Group Policy template that pins the publishers' keys, in the layout of
# PolicyDefinitions.
install(FILES dist/Richtlinien/vorlund.admx DESTINATION Richtlinien)
install(FILES dist/Richtlinien/de-DE/vorlund.adml DESTINATION Richtlinien/de-DE)
install(FILES dist/Richtlinien/en-US/vorlund.adml DESTINATION Richtlinien/en-US)
install(SCRIPT cmake/Sign.cmake)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME vorlund)
set(CPACK_PACKAGE_FILE_NAME vorlund-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_OUTPUT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackConfig.cmake)
include(CPack)
