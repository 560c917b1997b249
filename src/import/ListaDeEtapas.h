// The stages, one line each, in the order a run calls them (no include guard: it is read
// once per use, with NORVO_ETAPA defined by the reader; see Etapas.h and Etapas.cpp).
//
// NORVO_ETAPA(routine, the operator's name for it, the option that marks it, the table it
//             rebuilds, whether that table is emptied before any stage runs, its key in the
//             sequence register or nullptr)
//
// Tables that other rebuilt tables reference, or are referenced by, are emptied first, in the
// reverse of this order, so that a destination whose references keep one full is refused
// before anything changed.
NORVO_ETAPA(ImportaClientes, "Clientes", Clientes, "CLIENTE", false, nullptr)
NORVO_ETAPA(ImportaFornecedores, "Fornecedores", Fornecedores, "FORNECEDOR", false, nullptr)
NORVO_ETAPA(ImportaUnidades, "Unidades", Produtos, "TIPOUNIDADE", true, "TIPOUNIDADE")
NORVO_ETAPA(ImportaNCM, "NCM", Produtos, "CODIGONCM", true, "CODIGONCM")
NORVO_ETAPA(ImportaProdutos, "Produtos", Produtos, "PRODUTO", true, nullptr)
NORVO_ETAPA(ImportaPrecos, "Lista de preços", Produtos, "ITENSLISTA", true, nullptr)
