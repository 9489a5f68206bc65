-- SPDX-License-Identifier: GPL-3.0-or-later
-- Reads many LaTeX documents with pandoc's LaTeX reader in one pandoc process, as a filter that ignores
-- its own input:
--   BATCH=FILE pandoc --lua-filter render_latex.lua -t plain -o /dev/null </dev/null
-- The batch is as render_rst.py has it, and so is standard output, each document's as soon as it is made;
-- each document gives its AST in pandoc's native
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

function Pandoc(doc)
  local batch = assert(io.open(os.getenv("BATCH"), "rb")):read("a")
  local at = 1
  while at <= #batch do
    local line_end = batch:find("\n", at, true)
    local size = tonumber(batch:sub(at, line_end - 1))
    local text = batch:sub(line_end + 1, line_end + size)
    at = line_end + size + 1
    local ok, native = pcall(function()
      return collapse(pandoc.write(pandoc.read(text, "latex"):walk(same_space), "native"))
    end)
    if not ok then
      native = "error" -- its message quotes the document
    end
    io.stdout:write(#native, "\n", native)
    io.stdout:flush()
  end
  return doc
end
