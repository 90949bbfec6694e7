# The translation check (ctest translation_check): lupdate, run into a copy of every .ts file,
# must find no source text new or gone, that is, each file must be as update_translations leaves
# it; and the English translation must have no unfinished entry, since English is offered in the
# menu. Run as: cmake -DLUPDATE=... -DOPTIONS=a|b -DSOURCES=a|b -DSOURCE_DIR=... -DROOT=...
#               -DWORK_DIR=... -P CheckTranslations.cmake
cmake_minimum_required(VERSION 3.22)

string(REPLACE "|" ";" options "${OPTIONS}")
string(REPLACE "|" ";" sources "${SOURCES}")
# The window library's own sources, as update_translations reads them; what the build generates
# holds no text of its own.
set(inputs)
foreach(source IN LISTS sources)
  if(NOT IS_ABSOLUTE "${source}")
    set(source "${SOURCE_DIR}/${source}")
  endif()
  if(source MATCHES "\\.(cpp|h|ui)$" AND source MATCHES "^${ROOT}/src/" AND EXISTS "${source}")
    list(APPEND inputs "${source}")
  endif()
endforeach()

file(GLOB ts_files "${ROOT}/translations/vl48_*.ts")
if(NOT ts_files)
  message(FATAL_ERROR "No translations in ${ROOT}/translations")
endif()
set(work "${WORK_DIR}/translation_check")
file(REMOVE_RECURSE "${work}")
file(MAKE_DIRECTORY "${work}")

set(failed FALSE)
foreach(ts IN LISTS ts_files)
  get_filename_component(name "${ts}" NAME)
  file(COPY "${ts}" DESTINATION "${work}")
  execute_process(COMMAND "${LUPDATE}" ${options} ${inputs} -ts "${work}/${name}"
                  RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE report)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "lupdate failed on ${name}:\n${report}")
  endif()
  file(READ "${ts}" committed)
  file(READ "${work}/${name}" updated)
  if(NOT committed STREQUAL updated)
    message(SEND_ERROR "${name} does not match the sources: a text was added, changed or "
                       "removed. Run `cmake --build <build dir> --target update_translations`, "
                       "translate what is new and commit the file.\n${report}")
    set(failed TRUE)
  endif()
endforeach()

file(READ "${ROOT}/translations/vl48_en.ts" english)
string(REGEX MATCHALL "type=\"unfinished\"" unfinished "${english}")
list(LENGTH unfinished count)
if(count GREATER 0)
  message(SEND_ERROR "vl48_en.ts has ${count} unfinished translation(s)")
  set(failed TRUE)
endif()
if(failed)
  message(FATAL_ERROR "The translations are not up to date")
endif()
list(LENGTH ts_files files)
message(STATUS "${files} translation file(s) up to date with the sources; English complete")
