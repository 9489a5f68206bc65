-- SPDX-License-Identifier: GPL-3.0-or-later
-- Renders many Markdown documents to HTML in one pandoc process, as a filter that ignores its own input:
--   BATCH=FILE READERS="markdown gfm" pandoc --lua-filter render.lua -o /dev/null </dev/null
-- The batch is as render.py has it: each document as its length, a line end and its bytes; for each
-- document and each reader in turn its HTML (or "error: " and the reason) goes to standard output the
-- same way, as soon as it is made.
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
      local ok, html = pcall(function()
        return pandoc.write(pandoc.read(text, reader), "html", {wrap_text = "wrap-preserve"})
      end)
      if not ok then
        html = "error: " .. tostring(html):sub(1, 80)
      end
      io.stdout:write(#html, "\n", html)
    end
    io.stdout:flush()
  end
  return doc
end
