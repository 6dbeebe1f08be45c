# Runs the Linux and the Windows tessarin-cli (the latter under Wine) on the same
# archives and requires the same results: JSON listing, verify report and exit
# code, every exported file byte for byte, the archive a replacement writes, the
# archives create, add, rename and delete write, an export past planted links
# and the import of an edited export tree.
#   cmake -DLINUX_CLI=... -DWINDOWS_CLI=... -DWINE=... -DWINEPREFIX=... -DARCHIVES="a;b" -DWORK=... -P CompareCli.cmake
foreach(var LINUX_CLI WINDOWS_CLI WINE WINEPREFIX ARCHIVES WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} not given")
  endif()
endforeach()
foreach(program ${LINUX_CLI} ${WINDOWS_CLI})
  if(NOT EXISTS ${program})
    message(FATAL_ERROR "${program} is missing: build both (make build, make windows) first")
  endif()
endforeach()

set(ENV{WINEPREFIX} ${WINEPREFIX})
set(ENV{WINEDEBUG} -all)
# Wine reads the Unix command line in the locale's encoding: names are UTF-8.
set(ENV{LC_ALL} C.UTF-8)

# Every file under two folders, by relative name and contents; the export's
# record holds each machine's own file stamps and is left out.
function(compare_trees label a b)
  file(GLOB_RECURSE fa RELATIVE ${a} ${a}/*)
  file(GLOB_RECURSE fb RELATIVE ${b} ${b}/*)
  list(REMOVE_ITEM fa .tessarin-export)
  list(REMOVE_ITEM fb .tessarin-export)
  list(SORT fa)
  list(SORT fb)
  if(NOT "${fa}" STREQUAL "${fb}")
    message(SEND_ERROR "${label}: different files\n--- Linux: ${fa}\n--- Windows: ${fb}")
    return()
  endif()
  if(fa STREQUAL "")
    message(SEND_ERROR "${label}: nothing was written")
  endif()
  foreach(f ${fa})
    file(SHA256 ${a}/${f} ha)
    file(SHA256 ${b}/${f} hb)
    if(NOT ha STREQUAL hb)
      message(SEND_ERROR "${label}: ${f} differs")
    endif()
  endforeach()
endfunction()

file(REMOVE_RECURSE ${WORK})
set(n 0)
foreach(archive ${ARCHIVES})
  math(EXPR n "${n} + 1")
  set(dir ${WORK}/${n})
  file(MAKE_DIRECTORY ${dir}/linux ${dir}/windows)
  foreach(side linux windows)
    file(COPY_FILE ${archive} ${dir}/${side}/a.arc)
  endforeach()
  # Each side works on its own copy, named the same way relative to the working folder.
  execute_process(COMMAND ${LINUX_CLI} list --json a.arc WORKING_DIRECTORY ${dir}/linux OUTPUT_VARIABLE lout RESULT_VARIABLE lrc)
  execute_process(COMMAND ${WINE} ${WINDOWS_CLI} list --json a.arc WORKING_DIRECTORY ${dir}/windows
                  OUTPUT_VARIABLE wout RESULT_VARIABLE wrc)
  if(NOT lout STREQUAL wout OR NOT lrc STREQUAL wrc)
    message(SEND_ERROR "${archive}: list --json differs\n--- Linux (${lrc}):\n${lout}\n--- Windows (${wrc}):\n${wout}")
  endif()
  foreach(verb "verify;a.arc" "extract;a.arc;out" "extract;a.arc;raw;--raw")
    execute_process(COMMAND ${LINUX_CLI} ${verb} WORKING_DIRECTORY ${dir}/linux OUTPUT_VARIABLE lout RESULT_VARIABLE lrc)
    execute_process(COMMAND ${WINE} ${WINDOWS_CLI} ${verb} WORKING_DIRECTORY ${dir}/windows
                    OUTPUT_VARIABLE wout RESULT_VARIABLE wrc)
    string(REPLACE ";" " " shown "${verb}")
    if(NOT lout STREQUAL wout OR NOT lrc STREQUAL wrc)
      message(SEND_ERROR "${archive}: ${shown} differs\n--- Linux (${lrc}):\n${lout}\n--- Windows (${wrc}):\n${wout}")
    endif()
  endforeach()
  compare_trees("${archive}: extract" ${dir}/linux/out ${dir}/windows/out)
  compare_trees("${archive}: extract --raw" ${dir}/linux/raw ${dir}/windows/raw)

  # Replacing the first entry gives the same archive on both.
  execute_process(COMMAND ${LINUX_CLI} list --json a.arc WORKING_DIRECTORY ${dir}/linux OUTPUT_VARIABLE json)
  string(JSON count ERROR_VARIABLE json_error LENGTH "${json}" entries)
  if(json_error OR count EQUAL 0)
    continue()
  endif()
  string(JSON key GET "${json}" entries 0 key)
  foreach(side linux windows)
    file(WRITE ${dir}/${side}/source.bin "replacement data, the same on both systems\n")
  endforeach()
  execute_process(COMMAND ${LINUX_CLI} replace a.arc ${key} source.bin
                  WORKING_DIRECTORY ${dir}/linux RESULT_VARIABLE lrc ERROR_VARIABLE lerr)
  execute_process(COMMAND ${WINE} ${WINDOWS_CLI} replace a.arc ${key} source.bin
                  WORKING_DIRECTORY ${dir}/windows RESULT_VARIABLE wrc ERROR_VARIABLE werr)
  file(SHA256 ${dir}/linux/a.arc la)
  file(SHA256 ${dir}/windows/a.arc wa)
  if(NOT lrc STREQUAL wrc OR NOT la STREQUAL wa)
    message(SEND_ERROR "${archive}: replace ${key} differs (Linux ${lrc}: ${lerr}; Windows ${wrc}: ${werr})")
  endif()

  # A new archive built from the export, then an entry added, renamed and
  # deleted: each archive the same on both, byte for byte.
  foreach(side linux windows)
    file(WRITE ${dir}/${side}/added.bin "an added entry, the same on both systems\n")
  endforeach()
  foreach(verb "create;new.arc;out" "add;new.arc;added\\one.7;added.bin" "rename;new.arc;added\\one.7;added\\two.8"
               "delete;new.arc;${key}")
    execute_process(COMMAND ${LINUX_CLI} ${verb} WORKING_DIRECTORY ${dir}/linux RESULT_VARIABLE lrc ERROR_VARIABLE lerr)
    execute_process(COMMAND ${WINE} ${WINDOWS_CLI} ${verb} WORKING_DIRECTORY ${dir}/windows
                    RESULT_VARIABLE wrc ERROR_VARIABLE werr)
    string(REPLACE ";" " " shown "${verb}")
    file(SHA256 ${dir}/linux/new.arc la)
    file(SHA256 ${dir}/windows/new.arc wa)
    if(NOT lrc EQUAL 0 OR NOT lrc STREQUAL wrc OR NOT la STREQUAL wa)
      message(SEND_ERROR "${archive}: ${shown} differs or failed (Linux ${lrc}: ${lerr}; Windows ${wrc}: ${werr})")
    endif()
  endforeach()

  # Links planted in the export folder: a folder link is refused, never entered;
  # a file link is replaced itself. Nothing outside the folder changes.
  file(GLOB_RECURSE exported RELATIVE ${dir}/linux/out ${dir}/linux/out/*)
  list(REMOVE_ITEM exported .tessarin-export)
  list(SORT exported)
  set(folder "")
  set(top "")
  foreach(f ${exported})
    string(FIND "${f}" "/" slash)
    if(slash GREATER 0 AND folder STREQUAL "")
      string(SUBSTRING "${f}" 0 ${slash} folder)
    elseif(slash EQUAL -1 AND top STREQUAL "")
      set(top "${f}")
    endif()
  endforeach()
  if(NOT folder STREQUAL "" AND NOT top STREQUAL "")
    foreach(side linux windows)
      file(MAKE_DIRECTORY ${dir}/${side}/linked ${dir}/${side}/outside)
      file(WRITE ${dir}/${side}/outside/victim "precious")
      file(CREATE_LINK ../outside ${dir}/${side}/linked/${folder} SYMBOLIC)
      file(CREATE_LINK ../outside/victim ${dir}/${side}/linked/${top} SYMBOLIC)
    endforeach()
    execute_process(COMMAND ${LINUX_CLI} extract a.arc linked WORKING_DIRECTORY ${dir}/linux
                    OUTPUT_VARIABLE lout RESULT_VARIABLE lrc ERROR_QUIET)
    execute_process(COMMAND ${WINE} ${WINDOWS_CLI} extract a.arc linked WORKING_DIRECTORY ${dir}/windows
                    OUTPUT_VARIABLE wout RESULT_VARIABLE wrc ERROR_QUIET)
    if(lrc EQUAL 0 OR NOT lout STREQUAL wout OR NOT lrc STREQUAL wrc)
      message(SEND_ERROR "${archive}: extract past links differs or succeeded\n--- Linux (${lrc}):\n${lout}\n--- Windows (${wrc}):\n${wout}")
    endif()
    foreach(side linux windows)
      file(GLOB outside RELATIVE ${dir}/${side}/outside ${dir}/${side}/outside/*)
      file(READ ${dir}/${side}/outside/victim kept)
      if(NOT outside STREQUAL "victim" OR NOT kept STREQUAL "precious")
        message(SEND_ERROR "${archive}: ${side} export wrote through a link: ${outside}")
      endif()
      if(IS_SYMLINK ${dir}/${side}/linked/${top} OR NOT IS_SYMLINK ${dir}/${side}/linked/${folder})
        message(SEND_ERROR "${archive}: ${side} export left ${top} a link or replaced ${folder}")
      endif()
    endforeach()
    file(SHA256 ${dir}/linux/linked/${top} la)
    file(SHA256 ${dir}/windows/linked/${top} wa)
    if(NOT la STREQUAL wa)
      message(SEND_ERROR "${archive}: ${top} exported past a link differs")
    endif()

    # The export tree, one file edited and a folder link planted, imported back:
    # the same keys and the same archive on both; the link is skipped.
    foreach(side linux windows)
      file(APPEND ${dir}/${side}/out/${top} "edited the same way on both systems")
      file(CREATE_LINK ../outside ${dir}/${side}/out/planted SYMBOLIC)
    endforeach()
    execute_process(COMMAND ${LINUX_CLI} import a.arc out WORKING_DIRECTORY ${dir}/linux
                    OUTPUT_VARIABLE lout ERROR_VARIABLE lerr RESULT_VARIABLE lrc)
    execute_process(COMMAND ${WINE} ${WINDOWS_CLI} import a.arc out WORKING_DIRECTORY ${dir}/windows
                    OUTPUT_VARIABLE wout ERROR_VARIABLE werr RESULT_VARIABLE wrc)
    file(SHA256 ${dir}/linux/a.arc la)
    file(SHA256 ${dir}/windows/a.arc wa)
    if(NOT lrc EQUAL 0 OR lout STREQUAL "" OR NOT lout STREQUAL wout OR NOT lerr STREQUAL werr OR
       NOT lrc STREQUAL wrc OR NOT la STREQUAL wa)
      message(SEND_ERROR "${archive}: import differs\n--- Linux (${lrc}):\n${lout}${lerr}\n--- Windows (${wrc}):\n${wout}${werr}")
    endif()
  endif()
  message(STATUS "${archive}: ${count} entries, same results on Linux and Windows")
endforeach()
