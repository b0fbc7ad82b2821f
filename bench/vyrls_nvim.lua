-- Run by bench/vyrls_nvim.sh in headless Neovim on a generated orders file:
-- types and deletes one letter in the middle of the file, one edit at a time,
-- and times each from the edit to its marks set (the publishDiagnostics
-- handler done for the edit's version), and from the didChange sent to the
-- same point. Writes the figures to $VYRLS_OUT, then ends Neovim.
local edits = tonumber(os.getenv("VYRLS_EDITS") or "200")
local buffer = vim.api.nvim_get_current_buf()
local hr = vim.loop.hrtime
local marked = {}
local publish = vim.lsp.handlers["textDocument/publishDiagnostics"]
vim.lsp.handlers["textDocument/publishDiagnostics"] = function(err, result, ctx, config)
  publish(err, result, ctx, config)
  if result and result.version then marked[result.version] = hr() end
end
local function wait(what, condition)
  if not vim.wait(30000, condition, 1) then error("timed out waiting for " .. what, 0) end
end
local function main()
  wait("the first marks", function() return next(marked) ~= nil end)
  local client = vim.lsp.get_active_clients()[1]
  local sent = {}
  local notify = client.notify
  client.notify = function(method, params)
    if method == "textDocument/didChange" then sent[params.textDocument.version] = hr() end
    return notify(method, params)
  end
  local row = math.floor(vim.api.nvim_buf_line_count(buffer) / 2)
  local total, served = {}, {}
  for k = 1, edits do
    local started = hr()
    if k % 2 == 1 then
      vim.api.nvim_buf_set_text(buffer, row, 0, row, 0, { "B" })
    else
      vim.api.nvim_buf_set_text(buffer, row, 0, row, 1, { "" })
    end
    local version = vim.lsp.util.buf_versions[buffer]
    wait("the marks of edit " .. k, function() return marked[version] ~= nil end)
    table.insert(total, (marked[version] - started) / 1e6)
    table.insert(served, (marked[version] - sent[version]) / 1e6)
  end
  local function line(name, values)
    table.sort(values)
    return string.format("%-32s min %7.2f  median %7.2f  p95 %7.2f  max %7.2f ms", name, values[1],
      values[math.floor(#values / 2) + 1], values[math.floor(#values * 0.95)], values[#values])
  end
  local file = io.open(os.getenv("VYRLS_OUT"), "w")
  file:write(string.format("%d edits, %d lines, %d marks\n", edits, vim.api.nvim_buf_line_count(buffer),
    #vim.diagnostic.get(buffer)))
  file:write(line("edit to marks", total) .. "\n")
  file:write(line("didChange sent to marks", served) .. "\n")
  file:close()
end
local ok, fault = pcall(main)
if not ok then
  local file = io.open(os.getenv("VYRLS_OUT"), "w")
  file:write("failed: " .. tostring(fault) .. "\n")
  file:close()
end
vim.cmd("qa!")
