# Zips every template folder here (its word/document.xml with the parts in common/) into
# OUT/<folder name>.dotx. Run with: cmake -DSRC=<this folder> -DSTAGE=<scratch> -DOUT=<data> -P
file(GLOB entries RELATIVE ${SRC} ${SRC}/*)
foreach(name IN LISTS entries)
  if(NOT EXISTS ${SRC}/${name}/word/document.xml)
    continue()
  endif()
  set(stage ${STAGE}/${name})
  file(REMOVE_RECURSE ${stage})
  file(COPY ${SRC}/common/ DESTINATION ${stage})
  file(COPY ${SRC}/${name}/word DESTINATION ${stage})
  # Files only, the content types first: Word packages carry no folder entries.
  file(GLOB_RECURSE parts RELATIVE ${stage} ${stage}/_rels/* ${stage}/word/*)
  list(SORT parts)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E tar cf ${OUT}/${name}.dotx --format=zip -- [Content_Types].xml ${parts}
    WORKING_DIRECTORY ${stage}
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "Could not zip the template ${name}")
  endif()
endforeach()
