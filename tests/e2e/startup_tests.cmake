# End-to-end tests of the start-up aids for one JDK (run_startup.py): the
# startup cache's states, and the splash screen under a virtual display
# where xvfb-run and ImageMagick are installed and the JDK has its splash
# library. Both run real VMs several times: labels e2e and slow.
find_program(VANTREL_XVFB_RUN xvfb-run)
find_program(VANTREL_IMPORT import)

function(vantrel_startup_tests name home)
  add_test(NAME ${name}_startup_cache
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/run_startup.py
      --launcher $<TARGET_FILE:vantrel> --checker $<TARGET_FILE:vantrel-check>
      --jdk ${home} --work ${CMAKE_CURRENT_BINARY_DIR}/${name}_startup_cache)
  set_tests_properties(${name}_startup_cache PROPERTIES TIMEOUT 300 LABELS "e2e;slow")
  if(NOT EXISTS "${home}/lib/libsplashscreen.so" OR NOT EXISTS "${home}/lib/libawt_xawt.so")
    message(STATUS "${name}: no splash screen test (the JDK has no splash library)")
  elseif(NOT VANTREL_XVFB_RUN OR NOT VANTREL_IMPORT)
    message(STATUS "${name}: no splash screen test (needs xvfb-run and ImageMagick)")
  else()
    add_test(NAME ${name}_splash
      COMMAND ${VANTREL_XVFB_RUN} -a -s "-screen 0 640x480x24"
        ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/run_startup.py --splash
        --launcher $<TARGET_FILE:vantrel> --jdk ${home}
        --work ${CMAKE_CURRENT_BINARY_DIR}/${name}_splash)
    set_tests_properties(${name}_splash PROPERTIES TIMEOUT 300 LABELS "e2e;slow;xvfb")
  endif()
endfunction()
