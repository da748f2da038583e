# `reelbox run TAPE --auto-play off`, as a user types it, in all eight
# combinations of the three fast-loading options: the host types LOAD "" and
# presses the window's Play (F7); every run must play to the tape's end and
# show the same screen.
if(NOT EXISTS "${TAPE}")
  message("skipped: no ${TAPE}")
  return()
endif()
file(MAKE_DIRECTORY "${WORK}")
set(first_screen "")
foreach(fast on off)
  foreach(flash on off)
    foreach(edge on off)
      set(options "fast ${fast}, flash ${flash}, edge ${edge}")
      set(name "${fast}-${flash}-${edge}")
      execute_process(
        COMMAND "${REELBOX}" run "${TAPE}" --auto-play off --fast-loading ${fast} --flash-loading ${flash}
                --edge-detection ${edge} --until-tape-end --seconds 200 --png "${WORK}/${name}.png"
                --json "${WORK}/${name}.json"
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
      if(NOT result EQUAL 0)
        message(FATAL_ERROR "reelbox run failed (${result}) with ${options}:\n${output}${errors}")
      endif()
      file(READ "${WORK}/${name}.json" report)
      string(JSON reason GET "${report}" exit_reason)
      string(JSON played GET "${report}" played_by)
      string(JSON screen GET "${report}" screen_sha256)
      if(NOT reason STREQUAL "tape_end" OR NOT played STREQUAL "play command")
        message(FATAL_ERROR "${options}: exit ${reason}, played by ${played}\n${output}")
      endif()
      if(first_screen STREQUAL "")
        set(first_screen "${screen}")
      elseif(NOT screen STREQUAL first_screen)
        message(FATAL_ERROR "${options}: screen ${screen}, but ${first_screen} with every option on")
      endif()
    endforeach()
  endforeach()
endforeach()
