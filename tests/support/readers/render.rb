#!/usr/bin/ruby
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders many Markdown documents to HTML in one process with kramdown, as render.py does with the
# Python readers, each as soon as it is made: render.rb BATCH INPUT... (INPUT: "kramdown", or "GFM", the
# input GitHub Pages uses).
require "kramdown"
require "kramdown-parser-gfm"

batch = File.binread(ARGV[0])
inputs = ARGV[1..]
out = $stdout.binmode
at = 0
while at < batch.bytesize
  line_end = batch.index("\n", at)
  size = batch.byteslice(at, line_end - at).to_i
  text = batch.byteslice(line_end + 1, size).force_encoding("UTF-8").scrub
  at = line_end + 1 + size
  inputs.each do |input|
    html = begin
      # GitHub Pages reads GFM with a line end as a space, as Jekyll sets it.
      Kramdown::Document.new(text, input: input, hard_wrap: false).to_html
    rescue StandardError => e
      "error: #{e.class}"
    end
    html = html.b
    out.write("#{html.bytesize}\n", html)
  end
  out.flush # the test tells a reader that stalls by its output
end
