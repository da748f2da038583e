# `reelbox run TAPE --auto-play off`, as a user types it, with every
# fast-loading option on and with all off: the host types LOAD "" and presses
# the window's Play (F7); both runs must play to the tape's end and show the
# same screen.
if(NOT EXISTS "${TAPE}")
  message("skipped: no ${TAPE}")
  return()
endif()
file(MAKE_DIRECTORY "${WORK}")
foreach(switch on off)
  set(json "${WORK}/${switch}.json")
  execute_process(
    COMMAND "${REELBOX}" run "${TAPE}" --auto-play off --fast-loading ${switch} --flash-loading ${switch}
            --edge-detection ${switch} --until-tape-end --seconds 200 --png "${WORK}/${switch}.png" --json "${json}"
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "reelbox run failed (${result}) with options ${switch}:\n${output}${errors}")
  endif()
  file(READ "${json}" report)
  string(JSON reason GET "${report}" exit_reason)
  string(JSON played GET "${report}" played_by)
  string(JSON screen_${switch} GET "${report}" screen_sha256)
  if(NOT reason STREQUAL "tape_end" OR NOT played STREQUAL "play command")
    message(FATAL_ERROR "options ${switch}: exit ${reason}, played by ${played}\n${output}")
  endif()
endforeach()
if(NOT screen_on STREQUAL screen_off)
  message(FATAL_ERROR "the screens differ: all on ${screen_on}, all off ${screen_off}")
endif()
