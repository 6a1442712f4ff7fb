-- A pandoc filter for the package's HTML help: links between Markdown pages
-- become links between their HTML pages, links to other files of the package
-- lead to those files, and the page takes its title from its first heading.
-- The metadata "source" names the page's Markdown file in the package
-- (README.md, docs/errors.md, docs/functions/jsParse.md); its HTML page is
-- help/guide.html, help/errors.html, help/functions/jsParse.html.

local source

-- The package path of the HTML page for a Markdown file of the package.
local function page_of(file)
  if file == "README.md" then return "help/guide.html" end
  if file == "docs/README.md" then return "help/index.html" end
  return "help/" .. file:gsub("^docs/", ""):gsub("%.md$", ".html")
end

local function split(path)
  local parts = {}
  for part in path:gmatch("[^/]+") do parts[#parts + 1] = part end
  return parts
end

-- The package path that relative names from the folder of file; nil when it
-- leaves the package.
local function resolve(file, relative)
  local parts = split(file)
  table.remove(parts)
  for _, part in ipairs(split(relative)) do
    if part == ".." then
      if #parts == 0 then return nil end
      table.remove(parts)
    elseif part ~= "." then
      parts[#parts + 1] = part
    end
  end
  return table.concat(parts, "/")
end

-- The relative name of package path target seen from package path from.
local function relative_to(from, target)
  local a, b = split(from), split(target)
  table.remove(a)
  local common = 0
  while common < #a and common < #b - 1 and a[common + 1] == b[common + 1] do common = common + 1 end
  local parts = {}
  for _ = common + 1, #a do parts[#parts + 1] = ".." end
  for i = common + 1, #b do parts[#parts + 1] = b[i] end
  return table.concat(parts, "/")
end

local function rewrite(link)
  local target = link.target
  if target:match("^%a[%w+.-]*:") or target:match("^#") then return nil end
  local path, anchor = target:match("^([^#]*)(.*)$")
  local file = resolve(source, path)
  if file == nil then return nil end
  if file:match("%.md$") then file = page_of(file) end
  link.target = relative_to(page_of(source), file) .. anchor
  return link
end

local title

return {
  { Meta = function(meta) source = pandoc.utils.stringify(meta.source) end },
  {
    Link = rewrite,
    Header = function(header) title = title or pandoc.utils.stringify(header) end,
    Meta = function(meta)
      meta.pagetitle = title or source
      meta.root = string.rep("../", #split(page_of(source)) - 2)
      return meta
    end,
  },
}
