# Installs the build into a scratch folder and checks that everything a
# desktop install needs arrived. Run by ctest:
#   cmake -DBUILD_DIR=... -DSTAGE=... -P check_install.cmake
file(REMOVE_RECURSE ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${STAGE}/usr
                RESULT_VARIABLE failed OUTPUT_QUIET)
if(failed)
  message(FATAL_ERROR "cmake --install failed")
endif()
foreach(f lib/ze23-setup/ze23-setup lib/ze23-setup/stend1.bmp lib/ze23-setup/LMP91000.bmp
          lib/ze23-setup/ze23-setup.png bin/ze23-setup lib/ze23-setup/ze23-cli bin/ze23-cli
          share/applications/ze23-setup.desktop
          share/icons/hicolor/256x256/apps/ze23-setup.png
          share/icons/hicolor/48x48/apps/ze23-setup.png lib/udev/rules.d/70-ze23-ftdi.rules)
  if(NOT EXISTS ${STAGE}/usr/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
# The links in bin/ must lead to the programs beside the pictures.
foreach(program ze23-setup ze23-cli)
  file(READ_SYMLINK ${STAGE}/usr/bin/${program} target)
  if(NOT target STREQUAL "../lib/ze23-setup/${program}")
    message(FATAL_ERROR "bin/${program} points to ${target}")
  endif()
endforeach()
file(REMOVE_RECURSE ${STAGE})
