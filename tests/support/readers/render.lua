-- SPDX-License-Identifier: GPL-3.0-or-later
-- Renders many documents in one pandoc process, as a filter that ignores its own input:
--   BATCH=FILE READERS="markdown gfm" pandoc --lua-filter render.lua -o /dev/null </dev/null
-- The batch is as render.py has it: each document as its length, a line end and its bytes; for each
-- document and each reader in turn its rendering (or "error: " and the reason) goes to standard output the
-- same way, as soon as it is made. Markdown's readers give HTML; "latex" gives the AST in pandoc's native
-- form, a line end read as a space and every run of white space in text, code and math made one space.
local function collapse(text)
  return (text:gsub("%s+", " "))
end

local same_space = {
  SoftBreak = function() return pandoc.Space() end,
  Str = function(e) e.text = collapse(e.text) return e end,
  Code = function(e) e.text = collapse(e.text) return e end,
  Math = function(e) e.text = collapse(e.text) return e end,
  RawInline = function(e) e.text = collapse(e.text) return e end,
  CodeBlock = function(e) e.text = collapse(e.text) return e end,
  RawBlock = function(e) e.text = collapse(e.text) return e end,
}

local function render(text, reader)
  if reader == "latex" then
    local ok, native = pcall(function()
      return collapse(pandoc.write(pandoc.read(text, "latex"):walk(same_space), "native"))
    end)
    return ok and native or "error" -- its message quotes the document
  end
  local ok, html = pcall(function()
    return pandoc.write(pandoc.read(text, reader), "html", {wrap_text = "wrap-preserve"})
  end)
  return ok and html or "error: " .. tostring(html):sub(1, 80)
end

function Pandoc(doc)
  local batch = assert(io.open(os.getenv("BATCH"), "rb")):read("a")
  local readers = {}
  for name in os.getenv("READERS"):gmatch("%S+") do
    readers[#readers + 1] = name
  end
  local at = 1
  while at <= #batch do
    local line_end = batch:find("\n", at, true)
    local size = tonumber(batch:sub(at, line_end - 1))
    local text = batch:sub(line_end + 1, line_end + size)
    at = line_end + size + 1
    for _, reader in ipairs(readers) do
      local rendering = render(text, reader)
      io.stdout:write(#rendering, "\n", rendering)
    end
    io.stdout:flush()
  end
  return doc
end
