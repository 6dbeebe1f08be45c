# Starts the Wine server that the Windows tests share, before any of them, and
# keeps it running for a minute after the last one: tests started in parallel
# (ctest -j) would otherwise race to start it in the one prefix, or start just
# as it shuts down, and fail before their first line runs.
# Usage: cmake -DWINE=... -DWINESERVER=... -DWINEPREFIX=... -P WineServer.cmake
# The server goes to the background: its output goes to a file, not to a pipe
# that would stay open as long as it runs.
execute_process(COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${WINEPREFIX} ${WINESERVER} -p60
  RESULT_VARIABLE started OUTPUT_FILE /dev/null ERROR_FILE /dev/null)
# A server already running for the prefix is as good; it must answer either
# way. Wine's own helper processes outlive the command: files, not pipes, again.
execute_process(COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${WINEPREFIX} WINEDEBUG=-all ${WINE} cmd /c exit 0
  RESULT_VARIABLE answered OUTPUT_FILE /dev/null ERROR_FILE ${WINEPREFIX}/server-start.log)
if(NOT answered EQUAL 0)
  message(FATAL_ERROR "The Wine server does not answer (start: ${started}); see ${WINEPREFIX}/server-start.log")
endif()
message(STATUS "Wine server running for ${WINEPREFIX}")
