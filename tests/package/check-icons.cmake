# cmake -DICONS=<res/icons> -DAPP_ID=<id> -P check-icons.cmake
# The committed PNGs are what the build uses (nothing renders them at build time),
# so check what the window and the icon theme rely on: each picture's size, and
# the window icons' palette of at most 16 colours.

# Reads a PNG's header; sets <prefix>_WIDTH, _HEIGHT, _COLOR_TYPE, _PALETTE (entries).
function(read_png file prefix)
  if(NOT EXISTS "${file}")
    message(SEND_ERROR "missing icon ${file}")
    return()
  endif()
  file(READ "${file}" hex HEX)
  string(SUBSTRING "${hex}" 0 16 signature)
  if(NOT signature STREQUAL "89504e470d0a1a0a")
    message(SEND_ERROR "${file} is not a PNG")
    return()
  endif()
  string(LENGTH "${hex}" total)
  set(palette 0)
  set(pos 16)  # in hex digits: two per byte
  while(pos LESS total)
    string(SUBSTRING "${hex}" ${pos} 8 len_hex)
    math(EXPR len "0x${len_hex}")
    math(EXPR type_pos "${pos} + 8")
    string(SUBSTRING "${hex}" ${type_pos} 8 type)
    math(EXPR data_pos "${pos} + 16")
    if(type STREQUAL "49484452")  # IHDR
      string(SUBSTRING "${hex}" ${data_pos} 8 w)
      math(EXPR at "${data_pos} + 8")
      string(SUBSTRING "${hex}" ${at} 8 h)
      math(EXPR at "${data_pos} + 18")
      string(SUBSTRING "${hex}" ${at} 2 ct)
      math(EXPR w "0x${w}")
      math(EXPR h "0x${h}")
      math(EXPR ct "0x${ct}")
      set(${prefix}_WIDTH ${w} PARENT_SCOPE)
      set(${prefix}_HEIGHT ${h} PARENT_SCOPE)
      set(${prefix}_COLOR_TYPE ${ct} PARENT_SCOPE)
    elseif(type STREQUAL "504c5445")  # PLTE: three bytes an entry
      math(EXPR palette "${len} / 3")
    elseif(type STREQUAL "49454e44")  # IEND
      break()
    endif()
    math(EXPR pos "${data_pos} + 2 * ${len} + 8")  # data, then the CRC
  endwhile()
  set(${prefix}_PALETTE ${palette} PARENT_SCOPE)
endfunction()

foreach(size 16 32)
  set(f "${ICONS}/vendrel-${size}.png")
  read_png("${f}" icon)
  if(NOT icon_WIDTH EQUAL size OR NOT icon_HEIGHT EQUAL size)
    message(SEND_ERROR "${f} is ${icon_WIDTH}x${icon_HEIGHT}, not ${size}x${size}")
  endif()
  if(NOT icon_COLOR_TYPE EQUAL 3 OR icon_PALETTE LESS 1 OR icon_PALETTE GREATER 16)
    message(SEND_ERROR "${f} must be an indexed PNG of at most 16 colours "
                       "(colour type ${icon_COLOR_TYPE}, ${icon_PALETTE} palette entries)")
  endif()
endforeach()

foreach(size 16 32 48 128 256)
  set(f "${ICONS}/hicolor/${size}/${APP_ID}.png")
  read_png("${f}" icon)
  if(NOT icon_WIDTH EQUAL size OR NOT icon_HEIGHT EQUAL size)
    message(SEND_ERROR "${f} is ${icon_WIDTH}x${icon_HEIGHT}, not ${size}x${size}")
  endif()
endforeach()

if(NOT EXISTS "${ICONS}/vendrel.svg")
  message(SEND_ERROR "missing ${ICONS}/vendrel.svg")
endif()
