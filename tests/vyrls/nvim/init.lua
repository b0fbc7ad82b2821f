-- Neovim, headless, with vyrls attached to an orders file: the set-up of
-- doc/vyrls.md, then the diagnostics and one completion list written to
-- $VYRLS_OUT, and Neovim ends. Started by run.sh.
local vyrls = os.getenv("VYRLS")
local data = os.getenv("VYRLS_DATA")
local out = os.getenv("VYRLS_OUT")

-- The set-up of doc/vyrls.md: the file type, and the server for it.
vim.cmd([[autocmd BufRead,BufNewFile *.vyr,orders*.txt setfiletype vyr]])
vim.api.nvim_create_autocmd("FileType", {
  pattern = "vyr",
  callback = function()
    local client = vim.lsp.start_client({
      name = "vyrls",
      cmd = { vyrls, "--stdio", "--data", data },
      init_options = { game = 1 },
    })
    vim.lsp.buf_attach_client(0, client)
  end,
})

local function finish(lines)
  local file = io.open(out, "w")
  file:write(table.concat(lines, "\n") .. "\n")
  file:close()
  vim.cmd("qa!")
end

vim.api.nvim_create_autocmd("VimEnter", {
  callback = function()
    local lines = {}
    local got = vim.wait(20000, function() return #vim.diagnostic.get(0) > 0 end, 20)
    if not got then
      finish({ "no diagnostics" })
      return
    end
    local names = { "error", "warning", "information", "hint" }
    local diagnostics = vim.diagnostic.get(0)
    table.sort(diagnostics, function(a, b)
      if a.lnum ~= b.lnum then return a.lnum < b.lnum end
      return a.col < b.col
    end)
    for _, d in ipairs(diagnostics) do
      local lsp = (d.user_data or {}).lsp or {}
      table.insert(lines, string.format("%d:%d-%d:%d %s [%s] %s", d.lnum + 1, d.col + 1, d.end_lnum + 1,
        d.end_col + 1, names[d.severity], d.code or lsp.code or "", d.message))
    end
    -- The completion after "  RECRUIT 40 " under the SHIRE order.
    local row
    for n, text in ipairs(vim.api.nvim_buf_get_lines(0, 0, -1, false)) do
      if text == "  RECRUIT 40 Pikemenn" then row = n - 1 end
    end
    local params = { textDocument = vim.lsp.util.make_text_document_params(), position = { line = row, character = 13 } }
    local answers = vim.lsp.buf_request_sync(0, "textDocument/completion", params, 10000) or {}
    local labels = {}
    for _, answer in pairs(answers) do
      for _, item in ipairs((answer.result or {}).items or {}) do table.insert(labels, item.label) end
    end
    table.insert(lines, "completion: " .. table.concat(labels, " "))
    finish(lines)
  end,
})
