# Copies FROM to TO when FROM exists (cmake -DFROM=... -DTO=... -P this file).
if(EXISTS "${FROM}")
  file(COPY_FILE "${FROM}" "${TO}" ONLY_IF_DIFFERENT)
endif()
